#pragma once

#include <QString>
#include <memory>

class LibraryStore;
class PgConnection;
class RecordSet;
struct WriteUnit;

// One open connection to a library: the library file through SQLCipher (open), or a team's
// library on a PostgreSQL server (openServer, in store/pg). A statement commits on its own
// unless a write transaction is open (beginWrite ... commit or rollback). The library's
// operations on the connection are those of its libraryStore().
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
    virtual ~SqlConnection();
    SqlConnection(const SqlConnection&) = delete;
    SqlConnection& operator=(const SqlConnection&) = delete;

    virtual bool isOpen() const = 0;
    // The server connection of a team library (null for the file).
    virtual PgConnection* server() const { return nullptr; }
    // True for a team library on a server.
    bool isServer() const { return server() != nullptr; }
    virtual bool isReadOnly() const = 0;
    virtual void close() = 0;

    // Runs exactly one statement of the caller's own, in the back end's dialect, as given. A
    // text holding a second statement is refused without running anything. Null on failure,
    // with *error set.
    virtual std::unique_ptr<RecordSet> execute(const QString& statement, QString* error) = 0;

    // A transaction that holds the write lock from its start (the file: BEGIN IMMEDIATE; the
    // server: the five item tables), so that what it reads cannot change under it before it
    // writes. Every wait for another program's lock from here to commit or rollback shares one
    // budget of kTransactionLockWaitMs.
    virtual bool beginWrite(QString* error) = 0;
    // Ends the transaction; on failure the transaction is rolled back and *error is set.
    virtual bool commit(QString* error) = 0;
    // Undoes the transaction; does nothing when none is open.
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;

    // The library's operations on this connection, as part of `unit`.
    virtual std::unique_ptr<LibraryStore> libraryStore(WriteUnit& unit) = 0;

    static const QString kNotConnected;
    static const QString kSecondStatement;
    static const QString kInvalidText;
    static const QString kNotALibrary;
    static const QString kLocked;
    static const QString kDiskFull;

    // Half of a surrogate pair has no UTF-8 form and would be stored as U+FFFD, a value other
    // than the one given; a NUL would end the statement early. Such a text is refused.
    static bool isStorable(const QString& text);

protected:
    SqlConnection() = default;
};
