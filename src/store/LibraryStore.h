#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <utility>

class RecordSet;
class SqlConnection;

// One row of a library tree: an entry's listed text and its itemid.
struct TreeRecord
{
    QString text;
    qint32 itemId = 0;
};

// A statement that failed: the reason, then the statement as the program wrote it. A person
// reads the two run together (failure.text()), exactly as the program has always shown them.
struct StoreFailure
{
    QString error;
    QString statement;

    QString text() const { return error + statement; }
    bool operator==(const StoreFailure&) const = default;
};

// How an operation went: every statement that failed on the way, in order, and `skipped` when
// the operation did not run at all because an earlier statement of its write unit failed (that
// failure was handed back then).
struct StoreOutcome
{
    QList<StoreFailure> failures;
    bool skipped = false;

    bool ok() const { return failures.isEmpty() && !skipped; }
};

// What an operation gives back: its value (the empty value after a failure) and how it went.
template <class T> struct StoreResult : StoreOutcome
{
    T value{};
};

// The write transaction that the operations at hand belong to (see CDbVisit::RunWriteTransaction):
// open while a unit runs, begun once its first statement took the write lock, failed after its
// first failing statement (every later one is then skipped).
struct WriteUnit
{
    bool open = false;
    bool begun = false;
    bool failed = false;
    QString lastStatement;
    // What the statements at hand carry, named for a person ("公司名称"); empty for none.
    QString subject;
};

// The library's operations: read a table's values, its tree, one entry's value, the default;
// add, modify and delete entries; remember the values a certificate used. Two back ends: the
// library file (SqliteLibraryStore, the statements the program has always sent to it) and a
// team library on a PostgreSQL server (PgLibraryStore, statements of its own with bound
// values). No operation shows anything: each hands back its value and its failures, and the
// caller decides what the user sees.
//
// Tables and columns are the program's own names (LibraryTables); values are anything a user
// typed. A store is a light object over a connection and the write unit of its owner; it is
// made for the operations at hand (SqlConnection::libraryStore).
class LibraryStore
{
public:
    LibraryStore(SqlConnection* connection, WriteUnit& unit);
    virtual ~LibraryStore();
    LibraryStore(const LibraryStore&) = delete;
    LibraryStore& operator=(const LibraryStore&) = delete;

    // The column's text of every row in itemid order, empty ones included.
    virtual StoreResult<QStringList> listValues(const QString& table, const QString& column) = 0;
    // The column's text and the itemid of every top-level row (upid 0) by ascending itemid.
    virtual StoreResult<QList<TreeRecord>> listTopLevel(const QString& table,
                                                        const QString& column) = 0;
    // The column's text of the entry itemId ("" when there is none).
    virtual StoreResult<QString> valueOf(const QString& table, const QString& column,
                                         qint32 itemId) = 0;
    // The column's text of the first entry whose keyColumn holds keyValue ("" when none does).
    virtual StoreResult<QString> findValue(const QString& table, const QString& keyColumn,
                                           const QString& keyValue, const QString& column) = 0;
    // The itemid of the first entry whose column holds value; -1 when none does.
    virtual StoreResult<qint32> findId(const QString& table, const QString& column,
                                       const QString& value) = 0;
    // The column's text of the table's default entry (the one marked "默认").
    StoreResult<QString> defaultValue(const QString& table, const QString& column);

    // A new entry with two columns set.
    virtual StoreResult<bool> addEntry(const QString& table, const QString& firstColumn,
                                       const QString& firstValue, const QString& secondColumn,
                                       const QString& secondValue) = 0;
    // A new entry with item1..item<count> set from texts (missing ones empty) and its upid.
    virtual StoreResult<bool> addItems(const QString& table, int count, const QStringList& texts,
                                       qint32 upid) = 0;
    // One column of the entry itemId set to value.
    virtual StoreResult<bool> modify(const QString& table, const QString& column,
                                     const QString& value, qint32 itemId) = 0;
    virtual StoreResult<bool> remove(const QString& table, qint32 itemId) = 0;

    // Remembers one value: it becomes the default entry of its table. The old default loses
    // its marker; an entry named value gets it, or a new entry (upid -1) is added with it.
    virtual StoreResult<bool> rememberValue(const QString& table, const QString& value) = 0;
    // Remembers the values a certificate used, in the order given and as one write transaction
    // (all of them or none); pairs of table and value whose value is empty are left out.
    // value false: nothing was written because the library could not be reached at all.
    virtual StoreResult<bool> rememberValues(const QList<std::pair<QString, QString>>& values) = 0;

    // Runs one statement of the caller's own, in the back end's own dialect, as given.
    StoreResult<std::unique_ptr<RecordSet>> execute(const QString& statement);

    // Runs body's operations as one write transaction (see CDbVisit::RunWriteTransaction). The
    // failures of body's operations are theirs; the value is false and the failure of the
    // commit, if that is what failed, is handed back here.
    StoreResult<bool> runWriteTransaction(const std::function<void()>& body);

    // The refusal of a value that cannot be stored, in the words of the form's label.
    static QString refusedValue(const QString& subject);
    // What the entries of the four libraries that Generate keeps are called on the form.
    static QString subjectOf(const QString& table);

protected:
    bool connected() const;
    // Lets a statement of the open unit run (taking the write lock first). False when it is not
    // to run: skipped (result.skipped) or the lock failed (a failure added).
    bool admit(const QString& shown, StoreOutcome& result);
    // A failed statement: inside a unit the unit fails, and a refused value is named by the
    // form's label.
    StoreFailure failure(const QString& error, const QString& shown);
    // admit, then the statement on the connection; null after a failure (added to result).
    std::unique_ptr<RecordSet> run(const QString& shown, const QString& text, StoreOutcome& result);

    // The readers of every operation, on whichever back end's rows: a column the rows lack, and
    // a row that could not be fetched, fail like the statement.
    bool checkColumn(const RecordSet& records, const QString& column, const QString& shown,
                     StoreOutcome& result);
    void checkFetch(const RecordSet& records, const QString& shown, StoreOutcome& result);
    QStringList readColumn(std::unique_ptr<RecordSet> records, const QString& column,
                           const QString& shown, StoreResult<QStringList>& result);
    QList<TreeRecord> readTree(std::unique_ptr<RecordSet> records, const QString& column,
                               const QString& shown, StoreResult<QList<TreeRecord>>& result);
    QString readFirst(std::unique_ptr<RecordSet> records, const QString& column,
                      const QString& shown, StoreResult<QString>& result);
    qint32 readFirstId(std::unique_ptr<RecordSet> records, const QString& shown,
                       StoreResult<qint32>& result);

    SqlConnection* m_connection;
    WriteUnit& m_unit;
};
