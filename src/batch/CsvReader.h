#pragma once

#include "batch/SheetLimits.h"
#include "batch/SheetTable.h"

#include <QByteArray>
#include <QString>
#include <optional>

// CSV as spreadsheet programs on a Chinese system save it: UTF-8 with or without a byte-order
// mark, or GB18030 (of which GBK is a part); comma, semicolon or tab between fields; fields in
// double quotes may hold the separator, line breaks and doubled quotes.
namespace CsvReader {

enum class Encoding
{
    Detect,
    Utf8,
    Gb18030
};

// "gb18030", "gbk", "utf-8"/"utf8" (any case); nullopt for anything else.
std::optional<Encoding> encodingFromName(const QString& name);

// The bytes as text. Detect: a UTF-8 byte-order mark or valid UTF-8 means UTF-8, anything
// else is read as GB18030. nullopt with `error` when the bytes are not valid in the encoding.
std::optional<QString> decode(const QByteArray& bytes, Encoding encoding, QString* error);

// The separator of the first record: the one of ',', ';' and '\t' that occurs most often
// outside quotes (',' when none does).
QChar detectSeparator(QStringView text);

// Splits text into records of fields. Line ends may be CR LF, LF or CR. nullopt with `error`
// when a quoted field is never closed.
std::optional<QList<QStringList>> parse(QStringView text, QChar separator, QString* error);

// Reads the file a piece at a time: decodes, detects the separator on the first record, parses;
// the first record is the header. The cells of `columns` (by default every named one) are kept,
// within SheetLimits; a sheet beyond them is refused with the reason in `error`.
std::optional<SheetTable> read(const QString& path, Encoding encoding, QString* error,
                               const SheetLimits::ColumnChoice& columns = {});

} // namespace CsvReader
