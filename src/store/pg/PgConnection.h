#pragma once

#include <QString>
#include <QStringList>
#include <memory>

struct pg_conn;
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

    // Opens a transaction and takes the write lock of the given tables before anything is read,
    // so that two clerks' bookkeeping runs one after the other. Tables are locked in name order,
    // whatever order they are given in, so two transactions never wait for each other in a
    // circle. Readers are not held up.
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

    pg_conn* m_conn;
    QString m_conninfo;
    QString m_libraryName;
    bool m_inTransaction = false;
};

// "select top N …" → "select … limit N", and a read of a whole item table without an order gets
// "order by itemid". Quoted values are never looked into.
QString TranslateForPostgres(const QString& statement);
