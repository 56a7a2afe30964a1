#include "register/SqliteStatement.h"

#include "store/StoredText.h"

#include <QByteArray>
#include <sqlite3.h>

namespace Register {

SqliteStatement::SqliteStatement(sqlite3* db, const char* sql) : m_db(db)
{
    if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK) {
        m_stmt = nullptr;
        m_failed = true;
    }
}

SqliteStatement::SqliteStatement(sqlite3* db, const QByteArray& sql)
    : SqliteStatement(db, sql.constData())
{
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

SqliteStatement& SqliteStatement::bind(int index, const QString& value)
{
    if (m_stmt) {
        const QByteArray utf8 = value.toUtf8();
        if (sqlite3_bind_text(m_stmt, index, utf8.constData(), static_cast<int>(utf8.size()),
                              SQLITE_TRANSIENT) != SQLITE_OK) {
            m_failed = true;
        }
    }
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, qint64 value)
{
    if (m_stmt && sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK) {
        m_failed = true;
    }
    return *this;
}

SqliteStatement& SqliteStatement::bindNull(int index)
{
    if (m_stmt && sqlite3_bind_null(m_stmt, index) != SQLITE_OK) {
        m_failed = true;
    }
    return *this;
}

bool SqliteStatement::next()
{
    if (!m_stmt || m_failed) {
        m_failed = true;
        return false;
    }
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc != SQLITE_DONE) {
        m_failed = true;
    }
    return false;
}

bool SqliteStatement::run()
{
    next();
    return !m_failed;
}

void SqliteStatement::reset()
{
    if (m_stmt) {
        sqlite3_reset(m_stmt);
        m_failed = false;
    }
}

QString SqliteStatement::text(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return storedText(data, sqlite3_column_bytes(m_stmt, column));
}

QByteArrayView SqliteStatement::bytes(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return QByteArrayView(data, sqlite3_column_bytes(m_stmt, column));
}

qint64 SqliteStatement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

SqliteWriteTransaction::SqliteWriteTransaction(sqlite3* db) : m_db(db)
{
    m_begun = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
}

SqliteWriteTransaction::~SqliteWriteTransaction()
{
    if (m_begun) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

bool SqliteWriteTransaction::commit()
{
    if (!m_begun || sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        return false;
    }
    m_begun = false;
    return true;
}

QString sqliteError(sqlite3* db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

bool sqliteExec(sqlite3* db, const char* sql, QString* error)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        if (error) {
            *error = message ? QString::fromUtf8(message) : sqliteError(db);
        }
        sqlite3_free(message);
        return false;
    }
    return true;
}

} // namespace Register
