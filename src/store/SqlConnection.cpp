#include "store/SqlConnection.h"

#include "store/JetDialect.h"
#include "store/RecordSet.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgRecordSet.h"

#include <QByteArray>
#include <QFile>
#include <sqlite3.h>

const QString SqlConnection::kNotConnected = QStringLiteral("没有打开的资料库连接。");
const QString SqlConnection::kSecondStatement =
    QStringLiteral("语句文本中含有第二条语句，未执行。");
const QString SqlConnection::kInvalidText =
    QStringLiteral("语句文本中含有无效的字符（不成对的代理项），未执行。");
const QString SqlConnection::kNotALibrary = QStringLiteral("file holds no tables");

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

} // namespace

SqlConnection::SqlConnection(sqlite3* db) : m_db(db) {}

SqlConnection::SqlConnection(std::shared_ptr<PgConnection> server)
    : m_db(nullptr), m_server(std::move(server))
{
}

std::shared_ptr<SqlConnection> SqlConnection::openServer(const QString& conninfo, QString* error)
{
    std::shared_ptr<PgConnection> server = PgConnection::open(conninfo, error);
    if (!server) {
        return nullptr;
    }
    return std::shared_ptr<SqlConnection>(new SqlConnection(std::move(server)));
}

bool SqlConnection::isOpen() const
{
    return m_db != nullptr || (m_server && m_server->isOpen());
}

SqlConnection::~SqlConnection()
{
    close();
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
    return std::shared_ptr<SqlConnection>(new SqlConnection(db));
}

bool SqlConnection::isReadOnly() const
{
    return m_db && sqlite3_db_readonly(m_db, "main") == 1;
}

void SqlConnection::close()
{
    if (m_server) {
        m_server->close();
    }
    if (m_db) {
        // close_v2 defers the release while a record set still holds a statement.
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

std::unique_ptr<RecordSet> SqlConnection::execute(const QString& statement, QString* error)
{
    QString ignored;
    if (!error) {
        error = &ignored;
    }
    if (!m_db && !m_server) {
        *error = kNotConnected;
        return nullptr;
    }
    // Half of a surrogate pair has no UTF-8 form: it would be stored as U+FFFD, a value other
    // than the one given. Such a statement is refused instead.
    if (!QStringView(statement).isValidUtf16()) {
        *error = kInvalidText;
        return nullptr;
    }
    if (m_server) {
        std::unique_ptr<PgRecordSet> rows = m_server->execute(statement, error);
        return rows ? std::unique_ptr<RecordSet>(new RecordSet(std::move(rows))) : nullptr;
    }
    const QByteArray text = TranslateJetStatement(statement).toUtf8();
    const char* begin = text.constData();
    const char* end = begin + text.size();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(m_db, begin, text.size() + 1, &stmt, &tail) != SQLITE_OK) {
        *error = lastError(m_db);
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
        *error = lastError(m_db);
        sqlite3_finalize(stmt);
        return nullptr;
    }
    return std::unique_ptr<RecordSet>(new RecordSet(stmt, rc));
}
