#pragma once

#include <QDate>
#include <QString>
#include <optional>

// Dates as clerks type them into a sheet, and as spreadsheets store them.
namespace BatchDates {

// 2024-05-31, 2024/5/31, 2024.5.31, 2024年5月31日 (a time of day after the date is ignored);
// a whole number of up to 6 digits is taken as a spreadsheet serial of the 1900 system.
// nullopt when the text is none of these or names no real day.
std::optional<QDate> parse(const QString& text);

// The day of a spreadsheet serial number (its fraction, the time of day, is dropped). The 1900
// system counts 1900-01-01 as day 1 and, like Lotus 1-2-3 before it, has a 29 February 1900
// (day 60) that never was: that serial gives nullopt. The 1904 system counts 1904-01-01 as
// day 0.
std::optional<QDate> fromSerial(double serial, bool date1904);

// The long form the form's date pickers show: "2024年5月31日".
QString longForm(const QDate& date);

} // namespace BatchDates
