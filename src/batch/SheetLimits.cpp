#include "batch/SheetLimits.h"

#include <algorithm>

const SheetCell& SheetRow::cell(int column) const
{
    static const SheetCell empty;
    const auto at = std::lower_bound(cells.cbegin(), cells.cend(), column,
                                     [](const PlacedCell& c, int col) { return c.column < col; });
    return at != cells.cend() && at->column == column ? at->cell : empty;
}

void SheetRow::set(int column, SheetCell value)
{
    const auto at = std::lower_bound(cells.begin(), cells.end(), column,
                                     [](const PlacedCell& c, int col) { return c.column < col; });
    if (at != cells.end() && at->column == column) {
        at->cell = std::move(value);
    } else {
        cells.insert(at, PlacedCell{column, std::move(value)});
    }
}

namespace SheetLimits {

QString columnName(int column)
{
    QString name;
    for (int n = column + 1; n > 0; n = (n - 1) / 26) {
        name.prepend(QChar(u'A' + (n - 1) % 26));
    }
    return name;
}

Collector::Collector(HeaderRow headerRow, ColumnChoice choice)
    : m_headerRow(headerRow), m_choice(std::move(choice))
{
}

void Collector::beginRow(int line)
{
    m_line = line;
    m_row.clear();
}

bool Collector::wants(int column) const
{
    if (!m_headerDone) {
        return true;
    }
    return column >= 0 && column < m_kept.size() && m_kept.at(column);
}

bool Collector::fail(const QString& error)
{
    if (m_error.isEmpty()) {
        m_error = error;
    }
    return false;
}

void Collector::refuse(const QString& error)
{
    fail(error);
}

bool Collector::add(int column, SheetCell cell, bool cut)
{
    if (refused()) {
        return false;
    }
    const bool tooLong = cut || cell.text.size() > kMaxCellLength;
    if (!m_headerDone) {
        if (column >= kMaxColumns) {
            if (cell.text.trimmed().isEmpty()) {
                return true; // an empty cell far right names no column
            }
            return fail(QStringLiteral("表头超过 %1 列（第 %2 列“%3”有内容）：表格最多只能有 %1 列")
                            .arg(kMaxColumns)
                            .arg(columnName(column), cell.text.left(20)));
        }
        if (tooLong) {
            return fail(QStringLiteral("表头的 %1 列超过 %2 个字符").arg(columnName(column)).arg(kMaxCellLength));
        }
        if (!cell.text.isEmpty()) {
            m_row << PlacedCell{column, std::move(cell)};
        }
        return true;
    }
    if (!wants(column)) {
        return true;
    }
    if (tooLong) {
        return fail(QStringLiteral("第 %1 行 %2 列（%3）的内容超过 %4 个字符：一格最多 %4 个字符")
                        .arg(m_line)
                        .arg(columnName(column), m_table.header.value(column).trimmed())
                        .arg(kMaxCellLength));
    }
    if (cell.text.isEmpty() && !cell.isNumber) {
        return true;
    }
    m_keptBytes += kCellCost + 2 * cell.text.size();
    if (m_keptBytes > kMaxKeptBytes) {
        return fail(QStringLiteral("表格内容太多（读到第 %1 行时已超过 %2 MiB）：请分成几个表格")
                        .arg(m_line)
                        .arg(kMaxKeptBytes >> 20));
    }
    m_row << PlacedCell{column, std::move(cell)};
    return true;
}

void Collector::takeHeader()
{
    int lastNamed = -1;
    for (const PlacedCell& placed : m_row) {
        if (!placed.cell.text.trimmed().isEmpty()) {
            lastNamed = std::max(lastNamed, placed.column);
        }
    }
    m_table.header = QStringList(lastNamed + 1, QString());
    for (const PlacedCell& placed : m_row) {
        if (placed.column <= lastNamed) {
            m_table.header[placed.column] = placed.cell.text;
        }
    }
    m_kept = QList<bool>(lastNamed + 1, false);
    if (m_choice) {
        for (int column : m_choice(m_table.header)) {
            if (column >= 0 && column <= lastNamed) {
                m_kept[column] = true;
            }
        }
    } else {
        for (int column = 0; column <= lastNamed; ++column) {
            m_kept[column] = !m_table.header.at(column).trimmed().isEmpty();
        }
    }
    m_headerDone = true;
}

bool Collector::endRow()
{
    if (refused()) {
        return false;
    }
    if (!m_headerDone) {
        bool blank = true;
        for (const PlacedCell& placed : m_row) {
            blank = blank && placed.cell.text.trimmed().isEmpty();
        }
        if (!blank || m_headerRow == HeaderRow::First) {
            takeHeader();
        }
        m_row.clear();
        return true;
    }
    SheetRow row;
    row.line = m_line;
    row.cells = std::move(m_row);
    m_row = {};
    if (row.isBlank()) {
        ++m_table.blankRows;
        return true;
    }
    if (++m_dataRows > kMaxDataRows) {
        return fail(QStringLiteral("表格超过 %1 行（第 %2 行是第 %3 行数据）：一次最多处理 %1 行，"
                                   "请分成几个表格")
                        .arg(kMaxDataRows)
                        .arg(m_line)
                        .arg(m_dataRows));
    }
    m_table.rows << std::move(row);
    return true;
}

BoundedDevice::BoundedDevice(QIODevice* source, qint64 limit) : m_source(source), m_limit(limit)
{
    open(QIODevice::ReadOnly);
}

qint64 BoundedDevice::filter(char* data, qint64 size)
{
    qint64 kept = 0;
    for (qint64 i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        if (m_inTag) {
            m_inTag = b != '>';
            m_run = 0;
        } else if (b == '<') {
            m_inTag = true;
            m_dropping = false;
            m_inEntity = false;
        } else if (m_dropping) {
            continue;
        } else if (m_run >= kMaxTextRun && !m_inEntity && (b & 0xC0) != 0x80) {
            // Cut before a character (never inside one, nor inside an entity).
            m_dropping = true;
            continue;
        } else {
            ++m_run;
            if (b == '&') {
                m_inEntity = true;
            } else if (b == ';') {
                m_inEntity = false;
            }
        }
        data[kept++] = char(b);
    }
    return kept;
}

qint64 BoundedDevice::readData(char* data, qint64 maxSize)
{
    while (!m_overLimit) {
        // One byte past the limit is read to tell a member of exactly `limit` bytes from a
        // longer one.
        const qint64 room = m_limit + 1 - m_read;
        const qint64 got = m_source->read(data, std::min(maxSize, room));
        if (got <= 0) {
            return got;
        }
        m_read += got;
        if (m_read > m_limit) {
            m_overLimit = true;
            break;
        }
        // All of it dropped: read on, since no bytes would read as the end.
        if (const qint64 kept = filter(data, got); kept > 0) {
            return kept;
        }
    }
    return -1;
}

} // namespace SheetLimits
