#pragma once

#include "batch/CsvReader.h"
#include "batch/SheetTable.h"

#include <QString>
#include <optional>

// Reads a sheet of leavers by the file's kind: .xlsx through XlsxReader (the sheet named, or
// the first), anything else as CSV (the encoding chosen, or detected). An .xls file, Excel's
// old binary format, is refused with a hint to save it as .xlsx or CSV. Only the columns of the
// batch's fields are kept (the first of each); the sheet's limits are SheetLimits'.
namespace SheetFile {

struct Options
{
    QString sheetName;
    CsvReader::Encoding encoding = CsvReader::Encoding::Detect;
};

std::optional<SheetTable> read(const QString& path, const Options& options, QString* error);

} // namespace SheetFile
