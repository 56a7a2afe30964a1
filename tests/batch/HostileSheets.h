#pragma once

#include <QString>

// Sheets written as an attacker would write them, each a piece at a time so that none is ever
// whole in memory: for the tests of the sheet limits (small sizes) and for the program that
// measures kavri-cli on them (the full sizes). Every sheet has the header 姓名 (and 离职原因)
// and rows named 张三; each returns false when the file could not be written.
namespace HostileSheets {

// An .xlsx whose worksheet inflates to about `inflatedBytes`: two rows, then blank space that
// packs a thousand to one.
bool inflatingXlsx(const QString& path, qint64 inflatedBytes);

// An .xlsx of `rows` rows below the header, each with a cell in column `farColumn` ("XFD", the
// last Excel has) beside its name; `inHeader` puts one in the header row too.
bool farCellXlsx(const QString& path, int rows, const char* farColumn, bool inHeader = false);

// An .xlsx of one row whose 离职原因 is an inline string `cellChars` characters long.
bool longCellXlsx(const QString& path, qint64 cellChars);

// An .xlsx of `rows` rows below the header.
bool manyRowsXlsx(const QString& path, int rows);

// A CSV of `rows` rows below the header, each row (and the header) followed by `emptyColumns`
// empty fields.
bool emptyColumnsCsv(const QString& path, int rows, int emptyColumns);

// A CSV of one row whose 离职原因 is `cellChars` characters long.
bool longCellCsv(const QString& path, qint64 cellChars);

// A CSV of `rows` rows below the header.
bool manyRowsCsv(const QString& path, int rows);

} // namespace HostileSheets
