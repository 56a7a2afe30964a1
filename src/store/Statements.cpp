#include "store/Statements.h"

namespace Statements {

namespace {
const QString kTable = QStringLiteral("[TABLE_NAME]");
const QString kUpid = QStringLiteral("[UPID]");
const QString kItemId = QStringLiteral("[ITEMID]");
const QString kFieldValue = QStringLiteral("[FIELD_VALUE]");
const QString kColumns = QStringLiteral("[COLUMNS]");
const QString kValues = QStringLiteral("[VALUES]");
const QString kComma = QStringLiteral(",");
const QString kQuote = QStringLiteral("'");

const QString kLimitOne = QStringLiteral(" limit 1");

// The read of one row by itemid: head, the number, then tail.
QString oneById(const QString& head, const QString& table, qint32 itemId, const QString& tail)
{
    return substitute(head + number(itemId) + tail, kTable, table);
}

// The read of one row by a column's value: head, "<column>='<value>'", then tail. The quotes
// around [FIELD_VALUE] belong to the fixed piece, so only the doubling of quotes inside the
// value is added here.
QString oneByValue(const QString& head, const QString& table, const QString& column,
                   const QString& value, const QString& tail)
{
    QString doubled = value;
    doubled.replace(kQuote, QStringLiteral("''"));
    QString text = head + column + QStringLiteral("='[FIELD_VALUE]'") + tail;
    text = substitute(text, kTable, table);
    return substitute(text, kFieldValue, doubled);
}

QString insertInto(const QString& table, const QString& columns, const QString& values)
{
    QString text =
        QStringLiteral("insert into ") + table + QStringLiteral(" ([COLUMNS]) values ([VALUES])");
    text = substitute(text, kColumns, columns);
    return substitute(text, kValues, values);
}
} // namespace

QString substitute(QString text, const QString& placeholder, const QString& value)
{
    // QString::replace scans once from the left and continues after each inserted value.
    return text.replace(placeholder, value);
}

QString quoted(const QString& value)
{
    QString doubled = value;
    doubled.replace(kQuote, QStringLiteral("''"));
    return kQuote + doubled + kQuote;
}

QString number(qint32 value)
{
    return QString::number(value);
}

QString selectAll(const QString& table)
{
    return substitute(QStringLiteral("select * from [TABLE_NAME]"), kTable, table);
}

QString selectTopLevel(const QString& table)
{
    QString text = QStringLiteral("select * from [TABLE_NAME] where upid=[UPID]") +
                   QStringLiteral(" order by itemid");
    text = substitute(text, kTable, table);
    return substitute(text, kUpid, number(0));
}

QString selectById(const QString& table, qint32 itemId)
{
    return oneById(QStringLiteral("select top 1 * from [TABLE_NAME] where itemid="), table, itemId,
                   QString());
}

QString selectByValue(const QString& table, const QString& column, const QString& value)
{
    return oneByValue(QStringLiteral("select top 1 * from [TABLE_NAME] where "), table, column,
                      value, QString());
}

QString fileSelectById(const QString& table, qint32 itemId)
{
    return oneById(QStringLiteral("select * from [TABLE_NAME] where itemid="), table, itemId,
                   kLimitOne);
}

QString fileSelectByValue(const QString& table, const QString& column, const QString& value)
{
    return oneByValue(QStringLiteral("select * from [TABLE_NAME] where "), table, column, value,
                      kLimitOne);
}

QString insertPair(const QString& table, const QString& firstColumn, const QString& firstValue,
                   const QString& secondColumn, const QString& secondValue)
{
    const QString columns = firstColumn + kComma + secondColumn;
    const QString values = quoted(firstValue) + kComma + quoted(secondValue);
    return insertInto(table, columns, values);
}

QString insertItems(const QString& table, int count, const QStringList& texts, qint32 upid)
{
    QString columns;
    QString values;
    for (int i = 1; i <= count; ++i) {
        columns += QStringLiteral("item%1").arg(i) + kComma;
        // A caller that hands fewer texts than it counts gets empty texts for the rest.
        values += quoted(texts.value(i - 1)) + kComma;
    }
    columns += QStringLiteral("upid");
    values += number(upid);
    return insertInto(table, columns, values);
}

QString update(const QString& table, const QString& column, const QString& value, qint32 itemId)
{
    return QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") + column +
           QStringLiteral(" = ") + quoted(value) + QStringLiteral(" WHERE itemid=") +
           number(itemId);
}

QString deleteById(const QString& table, qint32 itemId)
{
    QString text = QStringLiteral("delete from [TABLE_NAME] where itemid=[ITEMID]");
    text = substitute(text, kTable, table);
    return substitute(text, kItemId, number(itemId));
}

} // namespace Statements
