#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace Legal {

// Years of service with this employer, as a certificate states them.
struct ServiceYears
{
    std::optional<int> months; // whole months served; none when the dates do not allow a value
    QString text; // "5年3个月", "8个月", "3年", "不足一个月"; empty without a value
    QString hint; // why there is no value; empty when there is one
};

// Whole months from the joining date to the day after the leaving date. A month is complete
// when the joining date's day of the month is reached again, or that month's last day when it
// is shorter (joined on the 31st: complete on 28 or 29 February, on 30 April).
ServiceYears serviceYears(QDate joined, QDate left);

// "5年3个月", "8个月", "3年", "不足一个月" for a number of whole months (0 or more).
QString serviceYearsText(int months);

} // namespace Legal
