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
    const QString text =
        QStringLiteral("select top 1 * from [TABLE_NAME] where itemid=") + number(itemId);
    return substitute(text, kTable, table);
}

QString selectByValue(const QString& table, const QString& column, const QString& value)
{
    // The quotes around [FIELD_VALUE] belong to the fixed piece, so only the doubling of
    // quotes inside the value is added here.
    QString doubled = value;
    doubled.replace(kQuote, QStringLiteral("''"));
    QString text = QStringLiteral("select top 1 * from [TABLE_NAME] where ") + column +
                   QStringLiteral("='[FIELD_VALUE]'");
    text = substitute(text, kTable, table);
    return substitute(text, kFieldValue, doubled);
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
