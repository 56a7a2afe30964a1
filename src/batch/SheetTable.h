#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One cell as the sheet file holds it. A spreadsheet keeps numbers (dates among them) apart
// from text; a CSV file has text only.
struct SheetCell
{
    QString text;          // the text, or the number written out in full
    bool isNumber = false; // stored as a number in the spreadsheet
    double number = 0;     // the number when isNumber

    static SheetCell fromText(const QString& text) { return SheetCell{text, false, 0}; }
    static SheetCell fromNumber(double value, const QString& text)
    {
        return SheetCell{text, true, value};
    }
};

// A cell with the column it stands in (from 0).
struct PlacedCell
{
    int column = 0;
    SheetCell cell;
};

// One row below the header; `line` is the row's number as the spreadsheet program shows it
// (the header is line 1), so that a message can point the clerk at it. Only the cells that were
// kept are held, left to right: a sheet of a million empty columns costs nothing.
struct SheetRow
{
    int line = 0;
    QList<PlacedCell> cells;

    // The cell in `column`; an empty one when the row holds none there.
    const SheetCell& cell(int column) const;
    // Puts `cell` in `column`, replacing the one there.
    void set(int column, SheetCell cell);

    bool isBlank() const
    {
        for (const PlacedCell& placed : cells) {
            if (!placed.cell.text.trimmed().isEmpty()) {
                return false;
            }
        }
        return true;
    }
};

// A sheet read from a file: its first row as the header and every row below it that holds
// something; the rows that hold nothing are only counted.
struct SheetTable
{
    QStringList header;
    QList<SheetRow> rows;
    int blankRows = 0;
    bool date1904 = false; // the workbook counts days from 1904-01-01 (old Mac Excel)
};
