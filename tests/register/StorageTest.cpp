#include "RegisterFixture.h"

#include "register/RegisterSql.h"
#include "register/SqliteRegisterStorage.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <sys/stat.h>

using namespace Register;
using StorageTest = RegisterFixture;

TEST_F(StorageTest, MakesItsFileAndAUserOnlyRandomKey)
{
    EXPECT_TRUE(QFileInfo::exists(path()));
    const QFileInfo key(keyPathFor(path()));
    ASSERT_TRUE(key.exists());
    struct stat st = {};
    ASSERT_EQ(::stat(QFile::encodeName(key.filePath()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(key.fileName(), QStringLiteral("kavri_register.key"));
    QFile f(key.filePath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().trimmed().size(), 64);
    // The file itself is encrypted: no SQLite header in clear.
    QFile db(path());
    ASSERT_TRUE(db.open(QIODevice::ReadOnly));
    EXPECT_FALSE(db.read(16).startsWith("SQLite format 3"));
}

namespace {
unsigned modeOf(const QString& path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 0777 : 0;
}
} // namespace

TEST_F(StorageTest, TheRegisterAndItsLogAreTheUsersAlone)
{
    add(person("张三", "110101199001011234"));
    EXPECT_EQ(modeOf(path()), 0600u);
    EXPECT_EQ(modeOf(path() + QStringLiteral("-wal")), 0600u);

    // A register made readable by others (as older versions left it) is closed again on opening.
    reg.reset();
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0644), 0);
    reopen();
    EXPECT_EQ(modeOf(path()), 0600u);
}

TEST_F(StorageTest, TwoRegistersGetDifferentKeys)
{
    QTemporaryDir other;
    QString error;
    ASSERT_TRUE(CertificateRegister::open(other.filePath(kRegisterFileName), &error));
    QFile a(keyPathFor(path()));
    QFile b(keyPathFor(other.filePath(kRegisterFileName)));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_NE(a.readAll(), b.readAll());
}

TEST_F(StorageTest, RegisterPathFollowsTheLibraryFile)
{
    EXPECT_EQ(registerPathBeside(QStringLiteral("/opt/kavri/bin/bdsj_conn.dll")),
              QStringLiteral("/opt/kavri/bin/kavri_register.db"));
    EXPECT_EQ(sequencePathFor(QStringLiteral("/home/u/.local/share/kavri/kavri_register.db")),
              QStringLiteral("/home/u/.local/share/kavri/kavri_register.seq"));
}

TEST_F(StorageTest, ADamagedFileIsReportedNotReplaced)
{
    add(person("张三", "110101199001011234"));
    reg.reset();
    QFile f(path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QByteArray(8192, 'x'));
    f.close();
    QString error;
    EXPECT_FALSE(CertificateRegister::open(path(), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("无法打开出具登记簿"))) << error.toStdString();
    EXPECT_EQ(QFileInfo(path()).size(), 8192);
}

TEST_F(StorageTest, AFileWhoseKeyIsLostIsNotOpenedWithANewKey)
{
    reg.reset();
    ASSERT_TRUE(QFile::remove(keyPathFor(path())));
    QString error;
    EXPECT_FALSE(CertificateRegister::open(path(), &error));
    EXPECT_FALSE(QFileInfo::exists(keyPathFor(path())));
}

TEST_F(StorageTest, AFileOfANewerProgramIsRefused)
{
    reg.reset();
    {
        QString error;
        auto storage = SqliteRegisterStorage::open(path(), &error);
        ASSERT_TRUE(storage);
    }
    // Raise user_version through a connection of our own.
    QString error;
    const auto key = loadOrCreateKey(keyPathFor(path()), false, &error);
    ASSERT_TRUE(key);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path()).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_key(db, key->constData(), int(key->size())), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA user_version = 9", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    EXPECT_FALSE(SqliteRegisterStorage::open(path(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("newer"))) << error.toStdString();
}

TEST_F(StorageTest, AVersionOneFileIsCarriedForward)
{
    reg.reset();
    ASSERT_TRUE(QFile::remove(path()));
    QString error;
    {
        auto v1 = SqliteRegisterStorage::open(path(), &error, 1);
        ASSERT_TRUE(v1) << error.toStdString();
        EXPECT_EQ(v1->schemaVersion(), 1);
    }
    // Two entries as the first release wrote them (no leave_day column then).
    const auto key = loadOrCreateKey(keyPathFor(path()), false, &error);
    ASSERT_TRUE(key);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path()).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_key(db, key->constData(), int(key->size())), SQLITE_OK);
    const char* rows =
        "INSERT INTO templates VALUES (1, '模板', '【姓名】');"
        "INSERT INTO entries(id, number, year, seq, created_at, operator, template_id, name,"
        " id_number, company, leave_date) VALUES"
        " (1, 'LZ2026-000001', 2026, 1, '2026-01-02T03:04:05.000Z', 'hr', 1, '张三', '1', 'c',"
        "  '2021年2月3日'),"
        " (2, 'LZ2026-000002', 2026, 2, '2026-01-02T03:04:06.000Z', 'hr', 1, '李四', '2', 'c',"
        "  '不详');"
        "INSERT INTO versions VALUES (1, 1, 1, '张三', 'h', 'h', '2026-01-02T03:04:05.000Z');"
        "INSERT INTO sequences VALUES (2026, 2);";
    char* message = nullptr;
    ASSERT_EQ(sqlite3_exec(db, rows, nullptr, nullptr, &message), SQLITE_OK) << message;
    sqlite3_close(db);

    auto v2 = SqliteRegisterStorage::open(path(), &error);
    ASSERT_TRUE(v2) << error.toStdString();
    EXPECT_EQ(v2->schemaVersion(), Sql::kCurrentVersion);
    const auto first = v2->entry(1, &error);
    ASSERT_TRUE(first) << error.toStdString();
    EXPECT_EQ(first->summary.leaveDay, QDate(2021, 2, 3));
    EXPECT_EQ(first->versions.value(0).text, QStringLiteral("张三"));
    const auto second = v2->entry(2, &error);
    ASSERT_TRUE(second);
    EXPECT_FALSE(second->summary.leaveDay.isValid());
    // The migrated register goes on numbering after what it held.
    v2.reset();
    QFile::remove(sequencePathFor(path())); // the database alone says where numbering stands
    reopen();
    EXPECT_EQ(add(person("王五", "3")).number, QStringLiteral("LZ2026-000003"));
}
