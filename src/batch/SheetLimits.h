#pragma once

#include "batch/SheetTable.h"

#include <QIODevice>
#include <QString>
#include <functional>

// What a sheet of leavers may hold, and the reading under those limits. A sheet comes from
// anywhere: its cost in time and memory is bounded whatever it holds, and a sheet beyond a
// limit is refused with the limit named, before any certificate is written.
namespace SheetLimits {

inline constexpr int kMaxDataRows = 100000;
inline constexpr int kMaxColumns = 256;
inline constexpr int kMaxCellLength = 2000;
// The cells kept of all rows together, each counted as kCellCost bytes plus its text: with the
// rows a batch keeps (the twelve fields) a full sheet of 100,000 rows stays well below it.
inline constexpr qint64 kMaxKeptBytes = qint64(128) << 20;
inline constexpr qint64 kCellCost = 48;
// How far one member of an .xlsx archive may inflate: the worksheet, and every other part.
inline constexpr qint64 kMaxWorksheetBytes = qint64(256) << 20;
inline constexpr qint64 kMaxPartBytes = qint64(32) << 20;

// "A1"-style name of a column (from 0): 0 -> "A", 26 -> "AA".
QString columnName(int column);

// Which columns of the header to keep the cells of; the default keeps every column whose header
// is not empty. Cells right of the last named column are never kept.
using ColumnChoice = std::function<QList<int>(const QStringList& header)>;

// Builds a SheetTable row by row, refusing a sheet that goes beyond a limit as soon as it does.
// The header is the first row (CSV) or the first row that holds anything (a workbook).
class Collector
{
public:
    enum class HeaderRow
    {
        First,
        FirstNotBlank
    };
    explicit Collector(HeaderRow headerRow, ColumnChoice choice = {});

    // Starts a row; `line` is its number in the sheet.
    void beginRow(int line);
    // Whether a cell in `column` of the row being read would be kept: a reader need not read
    // the value of one that would not.
    bool wants(int column) const;
    // Adds a cell of the row being read; `cut` when the reader stopped taking its text beyond
    // kMaxCellLength characters. False once the sheet is refused.
    bool add(int column, SheetCell cell, bool cut = false);
    // Ends the row. False once the sheet is refused.
    bool endRow();

    bool refused() const { return !m_error.isEmpty(); }
    const QString& error() const { return m_error; }
    // Refuses the sheet for a reason the reader found.
    void refuse(const QString& error);

    const SheetTable& table() const { return m_table; }
    SheetTable take() { return std::move(m_table); }

private:
    bool fail(const QString& error);
    void takeHeader();

    HeaderRow m_headerRow;
    ColumnChoice m_choice;
    bool m_headerDone = false;
    int m_line = 0;
    QList<PlacedCell> m_row;
    QList<bool> m_kept; // by column, up to the last named one
    qint64 m_keptBytes = 0;
    int m_dataRows = 0;
    QString m_error;
    SheetTable m_table;
};

// A device that reads the XML of another one up to `limit` bytes and reports an error past them,
// so that a reader pulling from it stops there: for the members of an archive, whose inflated
// size nobody knows before reading them. A run of text between two tags is passed up to
// kMaxTextRun bytes (whole characters and entities) and the rest of it dropped: an XML reader
// holds a text whole before handing it on, and no cell that long is kept anyway.
inline constexpr qint64 kMaxTextRun = 64 * 1024;

class BoundedDevice : public QIODevice
{
public:
    BoundedDevice(QIODevice* source, qint64 limit);
    bool isSequential() const override { return true; }
    bool overLimit() const { return m_overLimit; }
    qint64 bytesRead() const { return m_read; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    // Keeps the bytes of data[0, size) that pass; returns how many.
    qint64 filter(char* data, qint64 size);

    QIODevice* m_source;
    qint64 m_limit;
    qint64 m_read = 0;
    bool m_overLimit = false;
    bool m_inTag = false;
    bool m_inEntity = false;
    bool m_dropping = false;
    qint64 m_run = 0;
};

} // namespace SheetLimits
