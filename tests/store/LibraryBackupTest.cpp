// Backup and restore of the library file: taken while other programs use it, checked before
// anything is replaced, and leaving a library that works.
#include "store/LibraryBackup.h"
#include "LibraryFixture.h"
#include "store/DatabaseBackup.h"
#include "store/SqlConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <sqlite3.h>
#include <tuple>

namespace {

const QString kProbeProgram = QStringLiteral(KAVRI_LIBRARY_PROBE);

// The names in the company library of the file at path, opened on its own; "<none>" when the
// file does not open.
QStringList companiesIn(const QString& path)
{
    QString error;
    const auto connection = SqlConnection::open(path, CDbVisit::kPassword, &error);
    if (!connection) {
        return {"<none>"};
    }
    QStringList names;
    auto records =
        connection->execute("select item3 from company_item_table order by itemid", &error);
    for (; records && !records->isEof(); records->moveNext()) {
        names.append(records->collect("item3"));
    }
    if (!records) {
        names.append("<error> " + error);
    }
    return names;
}

// A copy of the file alone, in a folder of its own: what is left without its -wal.
QString copyAlone(const QString& file, const QTemporaryDir& dir, const QString& name)
{
    const QString target = dir.filePath(name);
    QFile::copy(file, target);
    return target;
}

class LibraryBackupTest : public LibraryFixture
{
protected:
    // Backs the library up to `backup`.
    ::testing::AssertionResult backedUp()
    {
        QString message;
        if (LibraryBackup::backupLibrary(library.path(), backup, &message)) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << message.toStdString();
    }

    // db writes an entry and finds it again, and no fault was shown.
    void expectWriteAndRead(const QString& company)
    {
        db.AddRecord("company_item_table", "item3", company, "item8", "");
        EXPECT_GT(db.FindRecordId("company_item_table", "item3", company), 0);
        EXPECT_TRUE(notes.notices().isEmpty()) << notes.texts().join('\n').toStdString();
    }

    QTemporaryDir elsewhere;
    const QString backup = elsewhere.filePath("backup.dll");
};

TEST_F(LibraryBackupTest, BackupHoldsWhatIsStillInTheLogWhileAnotherProgramWrites)
{
    db.AddRecord("company_item_table", "item3", "只在日志里的公司", "item8", "");
    // The entry lives in the log: the file on its own does not have it yet.
    ASSERT_GT(QFileInfo(library.path() + "-wal").size(), 0);
    ASSERT_FALSE(companiesIn(copyAlone(library.path(), elsewhere, "alone.dll"))
                     .contains("只在日志里的公司"));

    // Another program is in the middle of a write the whole time.
    QProcess holder;
    holder.start(kProbeProgram, {"hold", library.path(), "60000"});
    ASSERT_TRUE(holder.waitForReadyRead(10000));

    const QString target = elsewhere.filePath("备份 一.dll");
    QString message;
    ASSERT_TRUE(LibraryBackup::backupLibrary(library.path(), target, &message))
        << message.toStdString();
    holder.kill();
    holder.waitForFinished(10000);
    EXPECT_EQ(message, "资料库已备份到 " + target + "。");
    EXPECT_TRUE(
        companiesIn(copyAlone(target, elsewhere, "backup-alone.dll")).contains("只在日志里的公司"));
    // One file: nothing beside it, no temporary left over.
    EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::Files).size(), 3)
        << QDir(elsewhere.path()).entryList(QDir::Files).join(' ').toStdString();
}

TEST_F(LibraryBackupTest, RestoreBringsBackTheBackupAndKeepsTheReplacedLibrary)
{
    db.AddRecord("company_item_table", "item3", "备份前的公司", "item8", "");
    ASSERT_TRUE(backedUp());
    QString message;
    db.AddRecord("company_item_table", "item3", "备份后的公司", "item8", "");
    db.CloseConnection(db.m_pConnection);

    ASSERT_TRUE(LibraryBackup::restoreLibrary(backup, library.path(), &message))
        << message.toStdString();
    const QStringList baks =
        QDir(library.dirPath()).entryList({"bdsj_conn.dll.*-*-*-*.bak"}, QDir::Files);
    ASSERT_EQ(baks.size(), 1) << QDir(library.dirPath()).entryList().join(' ').toStdString();
    const QString kept = QDir(library.dirPath()).filePath(baks[0]);
    EXPECT_EQ(message, "资料库已从 " + backup + " 恢复。原来的资料库保存为 " + kept + "。");

    // The file alone is the restored library; the replaced one is kept whole.
    EXPECT_FALSE(QFile::exists(library.path() + "-wal"));
    EXPECT_FALSE(QFile::exists(library.path() + "-shm"));
    const QStringList restored = companiesIn(library.path());
    EXPECT_TRUE(restored.contains("备份前的公司"));
    EXPECT_FALSE(restored.contains("备份后的公司"));
    EXPECT_TRUE(companiesIn(kept).contains("备份后的公司"));

    // And it works: a write and a read on the restored file.
    db.m_pConnection = db.ConnectAccessDb(library.path(), CDbVisit::kPassword);
    expectWriteAndRead("恢复后的公司");
}

TEST_F(LibraryBackupTest, RestoreWhileAnotherCopyHasTheLibraryOpen)
{
    ASSERT_TRUE(backedUp());
    QString message;
    db.AddRecord("company_item_table", "item3", "备份后的公司", "item8", "");

    // db stays connected, as a running copy of the program would.
    ASSERT_TRUE(LibraryBackup::restoreLibrary(backup, library.path(), &message))
        << message.toStdString();
    EXPECT_EQ(db.FindRecordId("company_item_table", "item3", "备份后的公司"), -1);
    expectWriteAndRead("之后的公司");
}

TEST_F(LibraryBackupTest, RestoreOverACrashedRunsLeftoversLeavesAWorkingLibrary)
{
    ASSERT_TRUE(backedUp());
    QString message;
    db.CloseConnection(db.m_pConnection);

    // A run that ends without closing: its last entries are only in the log.
    QProcess crashed;
    crashed.start(kProbeProgram, {"crash", library.path(), "30", "崩溃"});
    ASSERT_TRUE(crashed.waitForFinished(60000));
    ASSERT_GT(QFileInfo(library.path() + "-wal").size(), 0);

    ASSERT_TRUE(LibraryBackup::restoreLibrary(backup, library.path(), &message))
        << message.toStdString();
    EXPECT_FALSE(QFile::exists(library.path() + "-wal"));
    const QStringList restored = companiesIn(library.path());
    EXPECT_FALSE(restored.join(' ').contains("<error>")) << restored.join(' ').toStdString();
    EXPECT_FALSE(restored.contains("公司崩溃-0"));

    db.m_pConnection = db.ConnectAccessDb(library.path(), CDbVisit::kPassword);
    db.RememberLibraryValues({{"company_item_table", "新公司"}});
    EXPECT_EQ(db.FindRecordValue("company_item_table", "item1", "默认", "item3"), "新公司");
    EXPECT_TRUE(notes.notices().isEmpty()) << notes.texts().join('\n').toStdString();
    // The replaced library keeps the crashed run's entries.
    const QStringList baks =
        QDir(library.dirPath()).entryList({"bdsj_conn.dll.*.bak"}, QDir::Files);
    ASSERT_EQ(baks.size(), 1);
    EXPECT_TRUE(companiesIn(QDir(library.dirPath()).filePath(baks[0])).contains("公司崩溃-0"));
}

TEST_F(LibraryBackupTest, RestoreRefusesWhatIsNoBackupOfTheLibrary)
{
    db.AddRecord("company_item_table", "item3", "现在的公司", "item8", "");
    db.CloseConnection(db.m_pConnection);
    const QByteArray before = [&] {
        QFile f(library.path());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();

    // Another key.
    const QString otherKey = elsewhere.filePath("other-key.dll");
    {
        QString error;
        ASSERT_TRUE(
            DatabaseBackup::backup(library.path(), {CDbVisit::kPassword, {}, {}}, otherKey,
                                   &error));
        auto c = SqlConnection::open(otherKey, CDbVisit::kPassword, &error);
        ASSERT_TRUE(c);
        c->execute("PRAGMA rekey='another key'", &error);
    }
    // A table missing.
    const QString missing = elsewhere.filePath("missing.dll");
    QString message;
    ASSERT_TRUE(LibraryBackup::backupLibrary(library.path(), missing, &message));
    {
        QString error;
        auto c = SqlConnection::open(missing, CDbVisit::kPassword, &error);
        ASSERT_TRUE(c && c->execute("drop table position_item_table", &error))
            << error.toStdString();
    }
    // No database at all.
    const QString text = elsewhere.filePath("notes.txt");
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("just some notes\n");
    }

    const struct
    {
        QString file;
        QString reason;
    } cases[] = {
        {otherKey, "无法用资料库的密码打开文件 " + otherKey + "，它不是本程序的资料库或其备份。"},
        {missing, "文件 " + missing + " 中缺少资料库的表：position_item_table。"},
        {text, "无法用资料库的密码打开文件 " + text + "，它不是本程序的资料库或其备份。"},
        {elsewhere.filePath("absent.dll"), "无法用资料库的密码打开文件 " +
                                               elsewhere.filePath("absent.dll") +
                                               "，它不是本程序的资料库或其备份。"},
        {library.path(), "备份文件不能是资料库文件本身。"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(LibraryBackup::restoreLibrary(c.file, library.path(), &message));
        EXPECT_EQ(message, "资料库未恢复，原来的资料库未作更改：" + c.reason);
    }
    QFile after(library.path());
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
    EXPECT_TRUE(QDir(library.dirPath()).entryList({"*.bak"}).isEmpty());
}

TEST_F(LibraryBackupTest, RestoreReplacesADamagedLibraryAndSetsItAside)
{
    ASSERT_TRUE(backedUp());
    QString message;
    db.CloseConnection(db.m_pConnection);
    {
        QFile f(library.path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(8192, 'x'));
    }
    ASSERT_TRUE(LibraryBackup::restoreLibrary(backup, library.path(), &message))
        << message.toStdString();
    const QStringList restored = companiesIn(library.path());
    EXPECT_FALSE(restored.contains("<none>"));
    EXPECT_FALSE(restored.join(' ').contains("<error>")) << restored.join(' ').toStdString();
    const QStringList baks = QDir(library.dirPath()).entryList({"*.bak"}, QDir::Files);
    ASSERT_EQ(baks.size(), 1);
    EXPECT_EQ(QFileInfo(QDir(library.dirPath()).filePath(baks[0])).size(), 8192);
}

TEST(KeptCopyName, DatedBesideTheLibraryAndNeverOverwritten)
{
    QTemporaryDir dir;
    const QString live = dir.filePath("bdsj_conn.dll");
    const QDateTime when(QDate(2026, 12, 7), QTime(21, 30, 59));
    EXPECT_EQ(DatabaseBackup::keptCopyName(live, when),
              dir.filePath("bdsj_conn.dll.2026-12-07-2130.bak"));
    QFile(dir.filePath("bdsj_conn.dll.2026-12-07-2130.bak")).open(QIODevice::WriteOnly);
    EXPECT_EQ(DatabaseBackup::keptCopyName(live, when),
              dir.filePath("bdsj_conn.dll.2026-12-07-2130-2.bak"));
}

} // namespace

namespace {

// A one-table database keyed with `key` at a cipher page size (0: SQLCipher's default).
bool makePagedDatabase(const QString& path, const QByteArray& key, int pageSize,
                       const char* value)
{
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_key(db, key.constData(), int(key.size()));
    const QByteArray sql = (pageSize > 0 ? "PRAGMA cipher_page_size = " +
                                               QByteArray::number(pageSize) + ";"
                                         : QByteArray()) +
                           "CREATE TABLE t(x); INSERT INTO t VALUES ('" + value + "');";
    const bool ok = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// What the table holds when read at that page size; empty when the file does not decrypt.
QString pagedValue(const QString& path, const QByteArray& key, int pageSize)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_key(db, key.constData(), int(key.size()));
    const QByteArray pragma = "PRAGMA cipher_page_size = " + QByteArray::number(pageSize);
    sqlite3_exec(db, pragma.constData(), nullptr, nullptr, nullptr);
    sqlite3_stmt* s = nullptr;
    QString value;
    if (sqlite3_prepare_v2(db, "SELECT x FROM t", -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW) {
        value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return value;
}

} // namespace

// Files of either expected cipher page size are backed up at their own size, and a backup of
// one size restores over a live file of the other (set aside, as a damaged one is).
TEST(DatabaseBackupPageSizes, EachSizeIsKeptAndRestoresOverTheOther)
{
    QTemporaryDir dir;
    const QByteArray key = "x'" + QByteArray(64, 'b') + "'";
    const DatabaseBackup::Expectation expected{QString::fromLatin1(key), {QStringLiteral("t")},
                                               {4096, 1024}};
    const QString large = dir.filePath(QStringLiteral("large.db"));
    const QString small = dir.filePath(QStringLiteral("small.db"));
    ASSERT_TRUE(makePagedDatabase(large, key, 4096, "四千"));
    ASSERT_TRUE(makePagedDatabase(small, key, 0, "一千"));
    ASSERT_EQ(pagedValue(small, key, 1024), QStringLiteral("一千"));

    QString error;
    for (const auto& [source, pageSize, value] :
         {std::tuple{large, 4096, "四千"}, std::tuple{small, 1024, "一千"}}) {
        const QString copy = source + QStringLiteral(".copy");
        ASSERT_TRUE(DatabaseBackup::backup(source, expected, copy, &error)) << error.toStdString();
        EXPECT_TRUE(DatabaseBackup::check(copy, expected, &error)) << error.toStdString();
        EXPECT_EQ(pagedValue(copy, key, pageSize), QString::fromUtf8(value));
        EXPECT_EQ(pagedValue(copy, key, pageSize == 4096 ? 1024 : 4096), QString());
    }

    QString kept;
    ASSERT_TRUE(DatabaseBackup::restore(large + QStringLiteral(".copy"), small, expected, &kept,
                                        &error))
        << error.toStdString();
    EXPECT_EQ(pagedValue(small, key, 4096), QStringLiteral("四千"));
    EXPECT_EQ(pagedValue(kept, key, 1024), QStringLiteral("一千"));
}
