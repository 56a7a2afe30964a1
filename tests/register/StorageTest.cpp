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
    sqlite3* db = SqliteRegisterStorage::openFile(path(), *key, &error);
    ASSERT_TRUE(db) << error.toStdString();
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
    sqlite3* db = SqliteRegisterStorage::openFile(path(), *key, &error);
    ASSERT_TRUE(db) << error.toStdString();
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

namespace {

// What reading the file's first page with this cipher page size gives (SQLITE_OK when it reads).
int readWithPageSize(const QString& path, const QByteArray& key, int pageSize)
{
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_key(db, key.constData(), int(key.size()));
    const QByteArray pragma = "PRAGMA cipher_page_size = " + QByteArray::number(pageSize);
    sqlite3_exec(db, pragma.constData(), nullptr, nullptr, nullptr);
    const int rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc;
}

} // namespace

// A file made now has 4 KB cipher pages; one made with the former 1 KB pages opens, is carried
// forward and keeps them; a wrong key opens with neither size.
TEST_F(StorageTest, CipherPageSizesOfNewAndFormerFiles)
{
    QString error;
    const auto key = loadOrCreateKey(keyPathFor(path()), false, &error);
    ASSERT_TRUE(key) << error.toStdString();
    reg.reset();
    EXPECT_EQ(readWithPageSize(path(), *key, 4096), SQLITE_OK);
    EXPECT_EQ(readWithPageSize(path(), *key, 1024), SQLITE_NOTADB);

    // A version-1 file as the first release made it: SQLCipher's default pages.
    const QString former = QFileInfo(path()).dir().filePath(QStringLiteral("former.db"));
    ASSERT_TRUE(loadOrCreateKey(keyPathFor(former), true, &error)) << error.toStdString();
    const auto formerKey = loadOrCreateKey(keyPathFor(former), false, &error);
    ASSERT_TRUE(formerKey);
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(former).constData(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_key(db, formerKey->constData(), int(formerKey->size())), SQLITE_OK);
        const QByteArray rows =
            QByteArray(Sql::kSchemaV1) +
            "INSERT INTO templates VALUES (1, '模板', '【姓名】');"
            "INSERT INTO entries(id, number, year, seq, created_at, operator, template_id, name,"
            " id_number, company, leave_date) VALUES (1, 'LZ2026-000001', 2026, 1,"
            " '2026-01-02T03:04:05.000Z', 'hr', 1, '张三', '1', 'c', '2021年2月3日');"
            "INSERT INTO versions VALUES (1, 1, 1, '张三', 'h', 'h', '2026-01-02T03:04:05.000Z');"
            "INSERT INTO sequences VALUES (2026, 1); PRAGMA user_version = 1;";
        char* message = nullptr;
        ASSERT_EQ(sqlite3_exec(db, rows.constData(), nullptr, nullptr, &message), SQLITE_OK)
            << message;
        sqlite3_close(db);
    }
    {
        auto carried = SqliteRegisterStorage::open(former, &error);
        ASSERT_TRUE(carried) << error.toStdString();
        EXPECT_EQ(carried->schemaVersion(), Sql::kCurrentVersion);
        const auto first = carried->entry(1, &error);
        ASSERT_TRUE(first) << error.toStdString();
        EXPECT_EQ(first->versions.value(0).text, QStringLiteral("张三"));
    }
    EXPECT_EQ(readWithPageSize(former, *formerKey, 1024), SQLITE_OK);
    EXPECT_EQ(readWithPageSize(former, *formerKey, 4096), SQLITE_NOTADB);
    sqlite3* raw = SqliteRegisterStorage::openFile(former, *formerKey, &error);
    ASSERT_TRUE(raw) << error.toStdString();
    sqlite3_close(raw);

    // Neither size reads a file with another key; nothing is made or changed.
    const QByteArray wrong = "x'" + QByteArray(64, 'a') + "'";
    for (const QString& file : {path(), former}) {
        const qint64 size = QFileInfo(file).size();
        error.clear();
        EXPECT_EQ(SqliteRegisterStorage::openFile(file, wrong, &error), nullptr);
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(QFileInfo(file).size(), size);
    }
}
