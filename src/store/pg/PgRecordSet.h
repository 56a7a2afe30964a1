#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QString>

struct pg_result;

// A forward-only cursor over the rows of one server result, with the reading shape of the
// library file's record set: the first row is current from the start, columns are found by name
// (case-insensitive), NULL reads as the empty string. The whole result has already arrived, so
// moving on never fails.
class PgRecordSet
{
public:
    // Takes ownership of result (a tuples or command-ok result).
    explicit PgRecordSet(pg_result* result);
    ~PgRecordSet();
    PgRecordSet(const PgRecordSet&) = delete;
    PgRecordSet& operator=(const PgRecordSet&) = delete;

    bool isEof() const { return m_row >= m_rows; }
    void moveNext();

    bool hasColumn(const QString& column) const;
    // The current row's value as text: a number as its decimal digits, NULL as "".
    QString collect(const QString& column) const;
    // The current row's value as a 32-bit integer (0 for NULL, a missing column or no number).
    qint32 collectInt(const QString& column) const;

    // By position, for the program's own statements: the value as text (NULL as ""), whether it
    // is NULL, and as a 64-bit integer (0 for NULL or no number).
    QString text(int column) const;
    // The value's bytes as the server sent them (UTF-8 text), valid while the set lives.
    QByteArrayView bytes(int column) const;
    bool isNull(int column) const;
    qint64 int64(int column) const;

    // Always empty: a fetch cannot fail after the result has arrived. Kept so that callers read
    // both back ends the same way.
    const QString& error() const { return m_error; }

    int rowCount() const { return m_rows; }

private:
    int columnIndex(const QString& column) const;

    pg_result* m_result;
    int m_row = 0;
    int m_rows = 0;
    QHash<QString, int> m_columns;
    QString m_error;
};
