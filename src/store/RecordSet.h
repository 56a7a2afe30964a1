#pragma once

#include <QHash>
#include <QString>
#include <memory>

struct sqlite3_stmt;
class PgRecordSet;

// A forward-only cursor over one statement's rows. The first row is already fetched when the
// record set is handed out; statements that return no rows give a record set that is at its
// end from the start. Columns are found by name (case-insensitive, as Jet does); NULL reads as
// the empty string. The rows come from the library file or, for a team library, from the server.
class RecordSet
{
public:
    // The rows of a statement on the library file: takes ownership of stmt; stepResult is the
    // result of its first step.
    static std::unique_ptr<RecordSet> fromFile(sqlite3_stmt* stmt, int stepResult);
    // The rows of a server's result.
    static std::unique_ptr<RecordSet> fromServer(std::unique_ptr<PgRecordSet> rows);
    ~RecordSet();
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

    bool isEof() const { return m_eof; }
    void moveNext();

    bool hasColumn(const QString& column) const;
    // The current row's value as text: a number as its decimal digits, NULL as "".
    QString collect(const QString& column) const;
    // The current row's value as a 32-bit integer (0 for NULL or a missing column).
    qint32 collectInt(const QString& column) const;

    // The error of a fetch after the first row, if one failed; the record set then ends there.
    const QString& error() const { return m_error; }

private:
    RecordSet(sqlite3_stmt* stmt, int stepResult);
    explicit RecordSet(std::unique_ptr<PgRecordSet> rows);
    int columnIndex(const QString& column) const;
    void takeStep(int stepResult);

    sqlite3_stmt* m_stmt;
    std::unique_ptr<PgRecordSet> m_server;
    bool m_eof = true;
    QHash<QString, int> m_columns;
    QString m_error;
};
