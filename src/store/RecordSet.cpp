#include "store/RecordSet.h"

#include "store/StoredText.h"
#include "store/pg/PgRecordSet.h"

#include <sqlite3.h>

std::unique_ptr<RecordSet> RecordSet::fromFile(sqlite3_stmt* stmt, int stepResult)
{
    return std::unique_ptr<RecordSet>(new RecordSet(stmt, stepResult));
}

std::unique_ptr<RecordSet> RecordSet::fromServer(std::unique_ptr<PgRecordSet> rows)
{
    return std::unique_ptr<RecordSet>(new RecordSet(std::move(rows)));
}

RecordSet::RecordSet(sqlite3_stmt* stmt, int stepResult) : m_stmt(stmt)
{
    const int count = sqlite3_column_count(m_stmt);
    for (int i = 0; i < count; ++i) {
        const QString name = QString::fromUtf8(sqlite3_column_name(m_stmt, i)).toLower();
        // The first column of a name wins, as a lookup by name does in Jet.
        if (!m_columns.contains(name)) {
            m_columns.insert(name, i);
        }
    }
    takeStep(stepResult);
}

RecordSet::RecordSet(std::unique_ptr<PgRecordSet> rows) : m_stmt(nullptr), m_server(std::move(rows))
{
    m_eof = m_server->isEof();
}

RecordSet::~RecordSet()
{
    sqlite3_finalize(m_stmt);
}

void RecordSet::takeStep(int stepResult)
{
    m_eof = stepResult != SQLITE_ROW;
    if (stepResult != SQLITE_ROW && stepResult != SQLITE_DONE) {
        m_error = QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(m_stmt)));
    }
}

void RecordSet::moveNext()
{
    if (m_server) {
        m_server->moveNext();
        m_eof = m_server->isEof();
        return;
    }
    if (!m_eof) {
        takeStep(sqlite3_step(m_stmt));
    }
}

int RecordSet::columnIndex(const QString& column) const
{
    return m_columns.value(column.toLower(), -1);
}

bool RecordSet::hasColumn(const QString& column) const
{
    if (m_server) {
        return m_server->hasColumn(column);
    }
    return columnIndex(column) >= 0;
}

QString RecordSet::collect(const QString& column) const
{
    if (m_server) {
        return m_server->collect(column);
    }
    const int index = columnIndex(column);
    if (m_eof || index < 0) {
        return QString();
    }
    // Ask for the text before its length: the length is that of the conversion just made.
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, index));
    if (!text) {
        return QString();
    }
    return storedText(text, sqlite3_column_bytes(m_stmt, index));
}

qint32 RecordSet::collectInt(const QString& column) const
{
    if (m_server) {
        return m_server->collectInt(column);
    }
    const int index = columnIndex(column);
    if (m_eof || index < 0) {
        return 0;
    }
    return sqlite3_column_int(m_stmt, index);
}
