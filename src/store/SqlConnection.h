#pragma once

#include <QString>
#include <chrono>
#include <memory>

struct sqlite3;
class PgConnection;
class RecordSet;

// One open, keyed connection to the library file through SQLCipher, or, for a team, to the
// library on a PostgreSQL server (openServer): the same statements, the same record sets. A
// statement commits on its own unless a write transaction is open (beginWrite ... commit or
// rollback).
class SqlConnection
{
public:
    // How long a statement outside a transaction waits for another program's lock.
    static constexpr int kBusyTimeoutMs = 5000;
    // How long all the statements of one write transaction together wait for locks.
    static constexpr int kTransactionLockWaitMs = 3000;

    // Opens an existing file (never creates one), read-write where allowed and read-only
    // otherwise, keys it and reads its schema once so that a missing, damaged or wrongly keyed
    // file fails here. On failure returns null and puts SQLite's reason into *error.
    static std::shared_ptr<SqlConnection> open(const QString& path, const QString& password,
                                               QString* error);
    // Connects to a team library with a libpq connection text; null with the reason in *error.
    static std::shared_ptr<SqlConnection> openServer(const QString& conninfo, QString* error);
    ~SqlConnection();
    SqlConnection(const SqlConnection&) = delete;
    SqlConnection& operator=(const SqlConnection&) = delete;

    bool isOpen() const;
    // True for a team library on a server.
    bool isServer() const { return m_server != nullptr; }
    // The server connection of a team library (null for the file).
    PgConnection* server() const { return m_server.get(); }
    bool isReadOnly() const;
    void close();

    // Runs exactly one statement, translated from the Jet dialect first. A text holding a
    // second statement is refused without running anything. Null on failure, with *error set.
    std::unique_ptr<RecordSet> execute(const QString& statement, QString* error);

    // A transaction that holds the write lock from its start (SQLite: BEGIN IMMEDIATE), so that
    // what it reads cannot change under it before it writes. Every wait for another program's
    // lock from here to commit or rollback shares one budget of kTransactionLockWaitMs.
    bool beginWrite(QString* error);
    // Ends the transaction; on failure the transaction is rolled back and *error is set.
    bool commit(QString* error);
    // Undoes the transaction; does nothing when none is open.
    void rollback();
    bool inTransaction() const;

    static const QString kNotConnected;
    static const QString kSecondStatement;
    static const QString kInvalidText;
    static const QString kNotALibrary;
    static const QString kLocked;
    static const QString kDiskFull;

private:
    explicit SqlConnection(sqlite3* db);
    explicit SqlConnection(std::shared_ptr<PgConnection> server);
    static int waitForLock(void* self, int attempt);
    QString errorText() const;

    sqlite3* m_db;
    std::shared_ptr<PgConnection> m_server;
    // Until when a statement keeps waiting for another program's lock.
    std::chrono::steady_clock::time_point m_lockDeadline;
};
