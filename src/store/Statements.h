#pragma once

#include <QString>
#include <QStringList>

// The text of every statement the program sends to the library file, built from fixed pieces
// in the Jet dialect; these texts are also how a failed statement is named to the user, on
// either back end. Table and column names go in as given; numbers as plain decimals; text
// values between single quotes with every quote inside doubled, so a value is stored exactly
// as typed and can never end its quoted text early.
namespace Statements {

// Replaces every occurrence of placeholder in one left-to-right pass; inserted text is not
// searched again.
QString substitute(QString text, const QString& placeholder, const QString& value);
// "'" + value with each "'" doubled + "'".
QString quoted(const QString& value);
// A number as "%ld" gives it: optional minus sign, digits, nothing else.
QString number(qint32 value);

QString selectAll(const QString& table);
QString selectTopLevel(const QString& table);
QString selectById(const QString& table, qint32 itemId);
QString selectByValue(const QString& table, const QString& column, const QString& value);
QString insertPair(const QString& table, const QString& firstColumn, const QString& firstValue,
                   const QString& secondColumn, const QString& secondValue);
QString insertItems(const QString& table, int count, const QStringList& texts, qint32 upid);
QString update(const QString& table, const QString& column, const QString& value, qint32 itemId);
QString deleteById(const QString& table, qint32 itemId);

// The two reads of one row as the library file (SQLite, which has no "select top N") runs them:
// the same fixed pieces with the row limit at the end, "select * from … limit 1".
QString fileSelectById(const QString& table, qint32 itemId);
QString fileSelectByValue(const QString& table, const QString& column, const QString& value);

} // namespace Statements
