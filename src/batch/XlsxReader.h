#pragma once

#include "batch/SheetLimits.h"
#include "batch/SheetTable.h"

#include <QString>
#include <optional>

// Reads one worksheet of an Office Open XML workbook (.xlsx): the first sheet, or the one
// named `sheetName` when that is not empty. Shared strings, inline strings, numbers, booleans
// and formula results are read; styles are not, so a date arrives as its serial number and
// the caller decides by the column what a number means.
namespace XlsxReader {

// The sheet and its shared strings are read as they inflate, never whole; the cells of `columns`
// (by default every named one) are kept, within SheetLimits, and a workbook beyond them is
// refused with the reason in `error`.
std::optional<SheetTable> read(const QString& path, const QString& sheetName, QString* error,
                               const SheetLimits::ColumnChoice& columns = {});

// The names of the workbook's sheets in their order; nullopt with `error` when the file is no
// workbook.
std::optional<QStringList> sheetNames(const QString& path, QString* error);

// "C12" -> column 2 (from 0); -1 when the reference holds no column letters.
int columnOfReference(QStringView reference);

// A number as the spreadsheet shows it in a general cell: integers without a decimal point,
// others with up to 15 significant digits.
QString numberText(double value);

} // namespace XlsxReader
