// The library file: the SQLCipher connection behind SqlConnection::open.
#include "store/SqlConnection.h"

#include "store/RecordSet.h"
#include "store/SqliteLibraryStore.h"

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <sqlite3.h>

const QString SqlConnection::kNotConnected = QStringLiteral("没有打开的资料库连接。");
const QString SqlConnection::kSecondStatement =
    QStringLiteral("语句文本中含有第二条语句，未执行。");
const QString SqlConnection::kInvalidText =
    QStringLiteral("文字中含有无法保存的字符（空字符或不完整的字符），未执行。");
const QString SqlConnection::kNotALibrary = QStringLiteral("file holds no tables");
const QString SqlConnection::kLocked =
    QStringLiteral("资料库正被另一个程序占用，等待几秒后仍无法写入。");
const QString SqlConnection::kDiskFull = QStringLiteral("磁盘已满，资料库无法写入。");

namespace {

QString lastError(sqlite3* db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

// Opens without SQLITE_OPEN_CREATE: a missing file is an error, never a new empty library.
sqlite3* openFile(const QByteArray& path, int flags, QString* error)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.constData(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        *error = lastError(db);
        sqlite3_close_v2(db);
        return nullptr;
    }
    return db;
}

// A key that does not fit, or a file that is no database, shows at the first read. A file with
// no table at all (an empty file opens as a new empty database) is no library either.
bool checkReadable(sqlite3* db, QString* error)
{
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, "select count(*) from sqlite_master where type='table'", -1,
                                &stmt, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt);
    }
    bool ok = rc == SQLITE_ROW;
    if (!ok) {
        *error = lastError(db);
    } else if (sqlite3_column_int(stmt, 0) == 0) {
        *error = SqlConnection::kNotALibrary;
        ok = false;
    }
    sqlite3_finalize(stmt);
    return ok;
}

// Every statement commits on its own, and with the rollback journal each commit syncs the disk
// several times: a Generate, eight statements, would spend most of its time waiting for the disk.
// With the write-ahead log and synchronous=NORMAL a commit is one append to the log, synced at
// checkpoints; a crash of the program loses nothing and a power cut can at most lose the last
// commits, never damage the file. The last connection to close folds the log back into the file,
// so a closed library is still the one file. A file opened read-only is left as it is, and a
// journal mode that cannot be changed (the folder refuses the log file) keeps working as before.
void useWriteAheadLog(sqlite3* db)
{
    if (sqlite3_db_readonly(db, "main") != 0) {
        return;
    }
    sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
}

bool onlyBlanksAndSemicolons(const char* begin, const char* end)
{
    for (const char* p = begin; p < end; ++p) {
        if (*p != ';' && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n') {
            return false;
        }
    }
    return true;
}

std::chrono::steady_clock::time_point after(int ms)
{
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
}

} // namespace

// One open, keyed connection to the library file.
class FileConnection : public SqlConnection
{
public:
    explicit FileConnection(sqlite3* db);
    ~FileConnection() override;

    bool isOpen() const override { return m_db != nullptr; }
    bool isReadOnly() const override;
    void close() override;
    std::unique_ptr<RecordSet> execute(const QString& statement, QString* error) override;
    bool beginWrite(QString* error) override;
    bool commit(QString* error) override;
    void rollback() override;
    bool inTransaction() const override;
    std::unique_ptr<LibraryStore> libraryStore(WriteUnit& unit) override;

private:
    static int waitForLock(void* self, int attempt);
    QString errorText() const;

    sqlite3* m_db;
    // Until when a statement keeps waiting for another program's lock.
    std::chrono::steady_clock::time_point m_lockDeadline;
};

SqlConnection::~SqlConnection() = default;

bool SqlConnection::isStorable(const QString& text)
{
    return QStringView(text).isValidUtf16() && !text.contains(QChar(0));
}

FileConnection::FileConnection(sqlite3* db) : m_db(db), m_lockDeadline(after(kBusyTimeoutMs))
{
    // Replaces the plain busy timeout used while opening: the wait ends at a deadline that a
    // transaction sets once for all its statements.
    sqlite3_busy_handler(m_db, &FileConnection::waitForLock, this);
}

int FileConnection::waitForLock(void* self, int attempt)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        static_cast<FileConnection*>(self)->m_lockDeadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
        return 0;
    }
    // Short naps first, so that a lock held for a moment costs little; then 50 ms at a time.
    static constexpr int kNaps[] = {1, 2, 5, 10, 20, 50};
    const int nap = kNaps[std::min<int>(attempt, std::size(kNaps) - 1)];
    sqlite3_sleep(int(std::min<qint64>(nap, left.count())));
    return 1;
}

QString FileConnection::errorText() const
{
    switch (sqlite3_errcode(m_db)) {
    case SQLITE_BUSY:
        return kLocked;
    case SQLITE_FULL:
        return kDiskFull;
    default:
        return lastError(m_db);
    }
}

FileConnection::~FileConnection()
{
    close();
}

std::unique_ptr<LibraryStore> FileConnection::libraryStore(WriteUnit& unit)
{
    return std::make_unique<SqliteLibraryStore>(this, unit);
}

std::shared_ptr<SqlConnection> SqlConnection::open(const QString& path, const QString& password,
                                                   QString* error)
{
    QString ignored;
    if (!error) {
        error = &ignored;
    }
    if (path.isEmpty() || !QFile::exists(path)) {
        *error = QStringLiteral("unable to open database file");
        return nullptr;
    }
    const QByteArray file = QFile::encodeName(path);
    sqlite3* db = openFile(file, SQLITE_OPEN_READWRITE, error);
    if (!db) {
        // Refused read-write (no write permission on the file or its folder): reads can still
        // work, and each write then fails with SQLite's own message.
        db = openFile(file, SQLITE_OPEN_READONLY, error);
    }
    if (!db) {
        return nullptr;
    }
    error->clear();
    // Before the first read: a copy of the program in the middle of a write only delays it.
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // No password means a file without encryption; SQLCipher refuses an empty key.
    const QByteArray key = password.toUtf8();
    const bool keyed = key.isEmpty() || sqlite3_key(db, key.constData(), key.size()) == SQLITE_OK;
    if (!keyed || !checkReadable(db, error)) {
        if (error->isEmpty()) {
            *error = lastError(db);
        }
        sqlite3_close_v2(db);
        return nullptr;
    }
    useWriteAheadLog(db);
    return std::make_shared<FileConnection>(db);
}

bool FileConnection::isReadOnly() const
{
    return m_db && sqlite3_db_readonly(m_db, "main") == 1;
}

bool FileConnection::beginWrite(QString* error)
{
    if (!m_db) {
        *error = kNotConnected;
        return false;
    }
    m_lockDeadline = after(kTransactionLockWaitMs);
    if (sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        *error = errorText();
        return false;
    }
    return true;
}

bool FileConnection::commit(QString* error)
{
    if (!inTransaction()) {
        *error = kNotConnected;
        return false;
    }
    if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        *error = errorText();
        rollback();
        return false;
    }
    return true;
}

void FileConnection::rollback()
{
    if (inTransaction()) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

bool FileConnection::inTransaction() const
{
    return m_db && sqlite3_get_autocommit(m_db) == 0;
}

void FileConnection::close()
{
    if (m_db) {
        // Everything this connection wrote goes from the log into the file itself, even while
        // another copy of the program keeps the file open: the file alone is then a complete
        // library. A copy busy writing at this moment makes it a partial fold; its own close
        // finishes it.
        m_lockDeadline = after(1000);
        sqlite3_exec(m_db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
        // close_v2 defers the release while a record set still holds a statement.
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

std::unique_ptr<RecordSet> FileConnection::execute(const QString& statement, QString* error)
{
    QString ignored;
    if (!error) {
        error = &ignored;
    }
    if (!m_db) {
        *error = kNotConnected;
        return nullptr;
    }
    if (!isStorable(statement)) {
        *error = kInvalidText;
        return nullptr;
    }
    if (!inTransaction()) {
        m_lockDeadline = after(kBusyTimeoutMs);
    }
    const QByteArray text = statement.toUtf8();
    const char* begin = text.constData();
    const char* end = begin + text.size();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(m_db, begin, text.size() + 1, &stmt, &tail) != SQLITE_OK) {
        *error = errorText();
        return nullptr;
    }
    // SQLite stops at a NUL character or at the end of the first statement; whatever it left
    // over must be nothing but blanks, or the text was more than one statement.
    if (!tail || !onlyBlanksAndSemicolons(tail, end)) {
        sqlite3_finalize(stmt);
        *error = kSecondStatement;
        return nullptr;
    }
    if (!stmt) {
        *error = QStringLiteral("empty statement");
        return nullptr;
    }
    const int rc = sqlite3_step(stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        *error = errorText();
        sqlite3_finalize(stmt);
        return nullptr;
    }
    return RecordSet::fromFile(stmt, rc);
}
