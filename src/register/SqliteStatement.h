#pragma once

#include <QByteArrayView>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// A thin wrapper over one prepared SQLite statement and over a write transaction, for the
// register's storage.
namespace Register {

class SqliteStatement
{
public:
    SqliteStatement(sqlite3* db, const char* sql);
    SqliteStatement(sqlite3* db, const QByteArray& sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool prepared() const { return m_stmt != nullptr; }
    SqliteStatement& bind(int index, const QString& value);
    SqliteStatement& bind(int index, qint64 value);
    SqliteStatement& bindNull(int index);

    // True for a row; false at the end or on failure (then failed() is true).
    bool next();
    // Runs a statement that gives no rows; true when it did.
    bool run();
    // Makes the statement ready to run again with new values.
    void reset();
    bool failed() const { return m_failed; }

    QString text(int column) const;
    // The value's UTF-8 bytes as SQLite holds them, valid until the next step.
    QByteArrayView bytes(int column) const;
    qint64 integer(int column) const;
    bool isNull(int column) const;

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_failed = false;
};

// BEGIN IMMEDIATE at construction (so the write lock is taken before anything is read), ROLLBACK
// at destruction unless committed.
class SqliteWriteTransaction
{
public:
    explicit SqliteWriteTransaction(sqlite3* db);
    ~SqliteWriteTransaction();
    SqliteWriteTransaction(const SqliteWriteTransaction&) = delete;
    SqliteWriteTransaction& operator=(const SqliteWriteTransaction&) = delete;

    bool begun() const { return m_begun; }
    bool commit();

private:
    sqlite3* m_db;
    bool m_begun = false;
};

// SQLite's last message for the connection.
QString sqliteError(sqlite3* db);
// Runs SQL text that may hold several statements; true when all ran (error may be null when
// the failure's words are not wanted).
bool sqliteExec(sqlite3* db, const char* sql, QString* error);

} // namespace Register
