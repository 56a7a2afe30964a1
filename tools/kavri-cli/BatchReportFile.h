#pragma once

#include "batch/BatchWriter.h"

#include <QString>

// The outcome of a batch as CSV (UTF-8 with a byte-order mark, so that spreadsheet programs on
// a Chinese system read it right): 行号,姓名,结果,原因,文件, one line per row in the sheet's
// order; a certificate written with wording hits has them as its 原因 ("措辞提示：“辞退”：……").
// Written whole or not at all.
bool WriteBatchReportFile(const QString& path, const BatchReport& report, QString* error);

// One field quoted as RFC 4180 wants it when it holds a separator, a quote or a line break, with
// an apostrophe in front of a field a spreadsheet program would take for a formula.
QString CsvField(const QString& text);
