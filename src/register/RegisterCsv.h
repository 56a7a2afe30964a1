#pragma once

#include "register/RegisterTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Register {

// The list as CSV: UTF-8 with a byte-order mark (so that Excel and WPS read the Chinese right),
// CR LF between records, fields quoted as RFC 4180 has it where they need it (quotes doubled). ID
// numbers are masked unless `fullIds`.
QByteArray registerCsv(const QList<EntrySummary>& rows, bool fullIds);

// One CSV field, quoted when it holds a comma, a quote, a line break or leading/trailing blanks.
// A field starting with '=', '+', '-', '@', tab or CR gets an apostrophe in front, so that a
// spreadsheet program opening the file shows it as text rather than running it as a formula.
QString csvField(const QString& value);

// The list's columns: the number, the form's fields the register lists (in the form's order),
// the status and the last event.
QStringList listHeadings();
// One entry's cells under those headings; the ID number masked unless `fullIds`.
QStringList listCells(const EntrySummary& row, bool fullIds);

// What the list shows in its status column: "已出具" or "未出具".
QString statusLabel(const EntrySummary& row);
// "复制 2026-12-07 09:30" or empty for drafts; local time.
QString lastEventLabel(const EntrySummary& row);

} // namespace Register
