#include "batch/SheetFile.h"

#include "batch/BatchRecords.h"
#include "batch/XlsxReader.h"

#include <QFileInfo>

namespace SheetFile {

namespace {

// A batch reads the first column of each field and nothing else: with at most twelve cells a row,
// a sheet of the most rows allowed costs a few tens of megabytes whatever else it holds.
QList<int> batchColumns(const QStringList& header)
{
    const BatchColumns columns = matchBatchColumns(header);
    QList<int> kept;
    for (int column : columns.columnOf) {
        if (column >= 0) {
            kept << column;
        }
    }
    return kept;
}

} // namespace

std::optional<SheetTable> read(const QString& path, const Options& options, QString* error)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        if (error) {
            *error = QStringLiteral("找不到文件 %1").arg(path);
        }
        return std::nullopt;
    }
    const QString suffix = info.suffix().toLower();
    if (suffix == u"xls" || suffix == u"et") {
        if (error) {
            *error = QStringLiteral("不能读取旧式的 .%1 表格：请在表格程序中另存为 .xlsx 或 CSV")
                         .arg(suffix);
        }
        return std::nullopt;
    }
    if (suffix == u"xlsx") {
        return XlsxReader::read(path, options.sheetName, error, batchColumns);
    }
    return CsvReader::read(path, options.encoding, error, batchColumns);
}

} // namespace SheetFile
