#pragma once

#include "store/LibraryStore.h"
#include "store/pg/PgConnection.h"

// The library's operations on a team library on a PostgreSQL server: statements of its own in
// PostgreSQL's dialect, every value bound as a parameter (never part of the text), every read
// in itemid order as the library file returns its rows. Failures name the statement as the
// program writes it for the file (Statements), so that a person reads the same message on
// either back end; the bookkeeping batch names its own statement with the value in place.
class PgLibraryStore : public LibraryStore
{
public:
    // A Generate on a team library whose server was out of reach from the start.
    static const QString kServerAway;

    PgLibraryStore(SqlConnection* connection, PgConnection& server, WriteUnit& unit);

    StoreResult<QStringList> listValues(const QString& table, const QString& column) override;
    StoreResult<QList<TreeRecord>> listTopLevel(const QString& table,
                                                const QString& column) override;
    StoreResult<QString> valueOf(const QString& table, const QString& column,
                                 qint32 itemId) override;
    StoreResult<QString> findValue(const QString& table, const QString& keyColumn,
                                   const QString& keyValue, const QString& column) override;
    StoreResult<qint32> findId(const QString& table, const QString& column,
                               const QString& value) override;
    StoreResult<bool> addEntry(const QString& table, const QString& firstColumn,
                               const QString& firstValue, const QString& secondColumn,
                               const QString& secondValue) override;
    StoreResult<bool> addItems(const QString& table, int count, const QStringList& texts,
                               qint32 upid) override;
    StoreResult<bool> modify(const QString& table, const QString& column, const QString& value,
                             qint32 itemId) override;
    StoreResult<bool> remove(const QString& table, qint32 itemId) override;
    // The statement of rememberStatements: in the open write unit on its own, otherwise as one
    // transaction in one round trip.
    StoreResult<bool> rememberValue(const QString& table, const QString& value) override;
    // Outside a write unit: one transaction in one round trip (remember), even with no value to
    // keep, so that a server gone away is noticed here; value false when the server cannot be
    // reached (nothing was written). Inside one: rememberValue for each value.
    StoreResult<bool> rememberValues(const QList<std::pair<QString, QString>>& values) override;

    // The bookkeeping of one certificate on the server, as one transaction: each value becomes
    // the one default entry of its library (added when missing, with upid -1), and, when asked,
    // the certificate gets the next register number of its year. All of it or none of it.
    struct LibraryValue
    {
        QString table;
        QString value; // empty values are left out
    };
    struct Outcome
    {
        bool ok = false;
        int registerSeq = 0;     // the number given, when a year was asked for
        QString error;           // the server's words
        QString failedStatement; // the statement that failed (shownText), empty for BEGIN/COMMIT
    };

    // What remembering one value does, in one statement that finds what it needs inside
    // itself, so that all the libraries' statements can go to the server at once: clear the
    // mark of the default, mark the first entry named value, or add it (upid -1) when there is
    // none. "The first entry" is the first by itemid. The value is the parameter $1.
    static QList<PgConnection::Statement> rememberStatements(const QString& table,
                                                             const QString& value);
    // A statement as a failure shows it: with its value ($1) in quotes in its place.
    static QString shownText(const PgConnection::Statement& statement);
    // All of it in one round trip (PgConnection::runBatch), locking only the libraries whose
    // value is not empty. registerYear 0: no register number.
    static Outcome remember(PgConnection& connection, const QList<LibraryValue>& values,
                            int registerYear);

private:
    // admit, then one statement of the store's own with its parameters; a value that cannot be
    // stored is refused before anything is sent. Null after a failure (added to result).
    std::unique_ptr<RecordSet> query(const QString& shown, const QString& text,
                                     const QList<PgConnection::Param>& params,
                                     StoreOutcome& result);
    StoreResult<bool> write(const QString& shown, const QString& text,
                            const QList<PgConnection::Param>& params);

    PgConnection& m_server;
};
