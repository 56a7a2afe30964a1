#include "batch/SheetFile.h"

#include "batch/XlsxReader.h"

#include <QFileInfo>

namespace SheetFile {

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
        return XlsxReader::read(path, options.sheetName, error);
    }
    return CsvReader::read(path, options.encoding, error);
}

} // namespace SheetFile
