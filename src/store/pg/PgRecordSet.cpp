#include "store/pg/PgRecordSet.h"

#include "store/StoredText.h"

#include <libpq-fe.h>

PgRecordSet::PgRecordSet(pg_result* result) : m_result(result)
{
    if (PQresultStatus(m_result) != PGRES_TUPLES_OK) {
        return;
    }
    m_rows = PQntuples(m_result);
    const int count = PQnfields(m_result);
    for (int i = 0; i < count; ++i) {
        const QString name = QString::fromUtf8(PQfname(m_result, i)).toLower();
        // The first column of a name wins, as on the library file.
        if (!m_columns.contains(name)) {
            m_columns.insert(name, i);
        }
    }
}

PgRecordSet::~PgRecordSet()
{
    PQclear(m_result);
}

void PgRecordSet::moveNext()
{
    if (!isEof()) {
        ++m_row;
    }
}

int PgRecordSet::columnIndex(const QString& column) const
{
    return m_columns.value(column.toLower(), -1);
}

bool PgRecordSet::hasColumn(const QString& column) const
{
    return columnIndex(column) >= 0;
}

QString PgRecordSet::collect(const QString& column) const
{
    const int index = columnIndex(column);
    if (isEof() || index < 0 || PQgetisnull(m_result, m_row, index)) {
        return QString();
    }
    const char* value = PQgetvalue(m_result, m_row, index);
    // A truth value reads as a number, as it does from the library file.
    constexpr Oid kBoolType = 16;
    if (PQftype(m_result, index) == kBoolType) {
        return value[0] == 't' ? QStringLiteral("1") : QStringLiteral("0");
    }
    return storedText(value, PQgetlength(m_result, m_row, index));
}

qint32 PgRecordSet::collectInt(const QString& column) const
{
    bool ok = false;
    const qint32 value = collect(column).toInt(&ok);
    return ok ? value : 0;
}

bool PgRecordSet::isNull(int column) const
{
    return isEof() || column < 0 || column >= PQnfields(m_result) ||
           PQgetisnull(m_result, m_row, column);
}

QString PgRecordSet::text(int column) const
{
    if (isNull(column)) {
        return QString();
    }
    return storedText(PQgetvalue(m_result, m_row, column), PQgetlength(m_result, m_row, column));
}

QByteArrayView PgRecordSet::bytes(int column) const
{
    if (isNull(column)) {
        return {};
    }
    return QByteArrayView(PQgetvalue(m_result, m_row, column),
                          PQgetlength(m_result, m_row, column));
}

qint64 PgRecordSet::int64(int column) const
{
    if (isNull(column)) {
        return 0;
    }
    bool ok = false;
    const qint64 value = QByteArray(PQgetvalue(m_result, m_row, column)).toLongLong(&ok);
    return ok ? value : 0;
}
