#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

struct pg_conn;
struct pg_result;
class PgRecordSet;

// One connection to a team library on a PostgreSQL server through libpq. Statements come in
// the Jet dialect the data-access object writes and are translated here ("select top N" becomes
// "limit N", and a plain read of an item table is ordered by itemid, the order in which the
// library file returns its rows). Each statement commits on its own unless a transaction is
// open. A connection that broke is opened again by the next statement outside a transaction;
// inside one, the statement fails and the transaction is over.
class PgConnection
{
public:
    // Seconds a connect may take before it fails, unless the connection text names its own.
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

    // Runs exactly one statement (a text holding two is refused by the server). Null on
    // failure, with the server's primary message in *error.
    std::unique_ptr<PgRecordSet> execute(const QString& statement, QString* error);
    // Runs one statement of the program's own in PostgreSQL's dialect, with $1, $2... bound to
    // `params` (sent apart from the text, so no value is ever read as SQL). No translation.
    std::unique_ptr<PgRecordSet> query(const QByteArray& statement, const QList<Param>& params,
                                       QString* error);
    // The SQLSTATE of the last failure ("42501": no privilege), empty when libpq gave none.
    const QString& lastSqlState() const { return m_lastSqlState; }

    // Opens a transaction and takes the write lock of the given tables before anything is read,
    // so that two clerks' bookkeeping runs one after the other. Tables are locked in name order,
    // whatever order they are given in, so two transactions never wait for each other in a
    // circle. Readers are not held up. The transaction's waits are bounded (kLockTimeoutMs,
    // kStatementTimeoutMs, kIdleInTransactionMs). A connection found broken here is opened again
    // once, since nothing of the transaction has happened yet.
    bool begin(const QStringList& lockTables, QString* error);
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

private:
    PgConnection(pg_conn* conn, const QString& conninfo);
    // Opens the connection again when it broke outside a transaction.
    bool ensureConnected(QString* error);
    // Runs a fixed command of this class (BEGIN, LOCK, COMMIT...).
    bool command(const QByteArray& text, QString* error);
    QString failure(const pg_result* result);

    pg_conn* m_conn;
    QString m_conninfo;
    QString m_libraryName;
    bool m_inTransaction = false;
    QString m_lastSqlState;
};

// "select top N …" → "select … limit N", and a read of a whole item table without an order gets
// "order by itemid". Quoted values are never looked into.
QString TranslateForPostgres(const QString& statement);
