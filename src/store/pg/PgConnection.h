#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

struct pg_conn;
struct pg_result;
class PgRecordSet;

// One connection to a team library on a PostgreSQL server through libpq. Statements are
// PostgreSQL's, sent as given; the library's operations write their own (PgLibraryStore).
// Each statement commits on its own unless a transaction is open. A connection that broke is opened
// again by the next statement outside a transaction; inside one, the statement fails and the
// transaction is over.
class PgConnection
{
public:
    // Seconds a connect may take before it fails, unless the connection text, its service or
    // the environment (PGCONNECT_TIMEOUT) names its own.
    static constexpr int kConnectTimeoutSeconds = 5;
    // How long a write transaction waits for one lock, how long one of its statements may run,
    // and how long the server keeps it open while this side sends nothing (a program that froze
    // or a laptop that went to sleep in the middle would otherwise hold the locks of every
    // clerk). Milliseconds.
    static constexpr int kLockTimeoutMs = 3000;
    static constexpr int kStatementTimeoutMs = 5000;
    static constexpr int kIdleInTransactionMs = 10000;
    // How long a sent request may stay unanswered on a TCP connection before the connection
    // counts as lost (the server's machine vanished without closing it). Milliseconds.
    static constexpr int kTcpUserTimeoutMs = 15000;

    // One parameter of query(): a text, or SQL NULL.
    using Param = std::optional<QString>;

    // Connects with a libpq connection text ("service=kavri-hr", "host=... dbname=...").
    // Null on failure, with the server's or libpq's reason in *error.
    static std::shared_ptr<PgConnection> open(const QString& conninfo, QString* error);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    bool isOpen() const { return m_conn != nullptr; }
    void close();
    // The value libpq uses for one connection setting ("connect_timeout"); empty for none.
    QString setting(const char* keyword) const;

    // Runs exactly one statement as given (a text holding two is refused by the server). Null
    // on failure, with the server's primary message in *error.
    std::unique_ptr<PgRecordSet> execute(const QString& statement, QString* error);
    // Runs one statement of the program's own in PostgreSQL's dialect, with $1, $2... bound to
    // `params` (sent apart from the text, so no value is ever read as SQL). No translation.
    std::unique_ptr<PgRecordSet> query(const QByteArray& statement, const QList<Param>& params,
                                       QString* error);
    // The SQLSTATE of the last failure ("42501": no privilege), empty when libpq gave none.
    const QString& lastSqlState() const { return m_lastSqlState; }

    // One statement of the program's own in PostgreSQL's dialect, with $1, $2... bound to
    // `params`. The batches below prepare each text once per connection and from then on only
    // execute it: the server neither parses nor plans it again.
    struct Statement
    {
        QByteArray text;
        QList<Param> params;
    };

    // Opens a transaction and takes the write lock of the given tables before anything is read,
    // so that two clerks' bookkeeping runs one after the other. Tables are locked in name order,
    // whatever order they are given in, so two transactions never wait for each other in a
    // circle. Readers are not held up. The transaction's waits are bounded (kLockTimeoutMs,
    // kStatementTimeoutMs, kIdleInTransactionMs). A connection found broken here is opened again
    // once, since nothing of the transaction has happened yet.
    bool begin(const QStringList& lockTables, QString* error);

    // What a batch did: on failure, which statement failed (-1: the start of the transaction,
    // its lock included; the number of statements: the commit) and the server's words; on
    // success, the rows of each statement that returned rows (null for the others).
    struct BatchOutcome
    {
        bool ok = false;
        int failedAt = -1;
        QString error;
        std::vector<std::unique_ptr<PgRecordSet>> rows;
        // runBatchThen: whether every statement of `then` went through, else the server's words.
        bool thenOk = false;
        QString thenError;
    };
    // Whether a transaction's commit waits until the server has its log on the disk (as the
    // server's synchronous_commit says), or returns as soon as the server has run it: for what
    // may be lost in a crash without harm, or what a later commit that waits makes safe (the
    // server writes its log in order).
    enum class Commit
    {
        WaitsForDisk,
        Asynchronous,
    };
    // Runs `statements` as one transaction in one round trip: BEGIN with the bounded waits, the
    // lock of lockTables, the statements in order, COMMIT. The locks are held only while the
    // server runs them, never across a round trip. All of it is on the server afterwards or none
    // of it. With mayRetry, a connection found broken is opened again and the batch sent once
    // more (for batches that leave the same state when they run twice).
    BatchOutcome runBatch(const QStringList& lockTables, const QList<Statement>& statements,
                          bool mayRetry, Commit commit = Commit::WaitsForDisk);
    // runBatch without retrying, and in the same round trip, once its transaction is over,
    // `then` in a transaction of its own (the server's implicit one: no BEGIN, no COMMIT). It
    // never undoes the batch, and fails when the batch did; thenOk says whether it went through
    // (waiting for the disk after an asynchronous commit, say, or linking the register's chain,
    // which the next call does as well when this one is lost).
    BatchOutcome runBatchThen(const QStringList& lockTables, const QList<Statement>& statements,
                              const QList<Statement>& then, Commit commit, Commit thenCommit);
    // The first part of a transaction in one round trip: begin() and `statements`; the
    // transaction stays open. On failure it is over.
    BatchOutcome beginBatch(const QStringList& lockTables, const QList<Statement>& statements);
    // The last statements of the open transaction and its COMMIT in one round trip. On failure
    // nothing of the transaction is on the server.
    BatchOutcome commitBatch(const QList<Statement>& statements);

    bool commit(QString* error);
    void rollback();
    bool inTransaction() const { return m_inTransaction; }

    // What the title shows: the service name when one was given, else the database's name.
    const QString& libraryName() const { return m_libraryName; }
    // The connection text as given (without a password).
    const QString& conninfo() const { return m_conninfo; }

    static const QString kNotConnected;
    static const QString kInvalidText;
    static const QString kConnectionLost;
    static const QString kRolledBack;
    static const QString kServerBusy;

private:
    PgConnection(pg_conn* conn, const QString& conninfo);
    static void useDefaultConnectTimeout();
    // Opens the connection again when it broke outside a transaction.
    bool ensureConnected(QString* error);
    // True once the connection is known to be broken (libpq may not know it yet).
    bool isBroken() const;
    // Opens the connection again; false (kConnectionLost in *error) when the server is away.
    bool reconnect(QString* error);
    // The statements that open a transaction: BEGIN, its bounded waits (and its commit's, when it
    // does not wait for the disk), the lock of the tables.
    static QList<Statement> beginStatements(const QStringList& lockTables,
                                            Commit commit = Commit::WaitsForDisk);
    // `opening`, `statements` and, when `commits`, COMMIT, sent at once and answered at once
    // (libpq's pipeline). Every text is prepared at its first use on this connection and only
    // executed afterwards. failedAt counts in `statements` (-1: an opening one). *answered: how
    // many of them the server answered before anything failed.
    // `then`, when given, follows in a transaction of its own after a sync of its own.
    BatchOutcome pipeline(const QList<Statement>& opening, const QList<Statement>& statements,
                          bool commits, int* answered, const QList<Statement>& then = {});
    // runBatch (commits) and beginBatch (not).
    BatchOutcome openingBatch(const QStringList& lockTables, const QList<Statement>& statements,
                              bool commits, bool mayRetry, Commit commit,
                              const QList<Statement>& then = {});
    // Ends a transaction that a failed batch left open.
    void endFailedBatch(BatchOutcome* outcome, int statementCount);
    QString failure(const pg_result* result);

    pg_conn* m_conn;
    QString m_conninfo;
    QString m_libraryName;
    bool m_inTransaction = false;
    QString m_lastSqlState;
    bool m_broken = false;
    // The name of each statement text prepared on this connection (a new connection has none).
    QHash<QByteArray, QByteArray> m_prepared;
    int m_preparedNames = 0;
};
