#include "legal/ServiceYears.h"

namespace Legal {

QString serviceYearsText(int months)
{
    if (months <= 0) {
        return QStringLiteral("不足一个月");
    }
    const int years = months / 12;
    const int rest = months % 12;
    if (years == 0) {
        return QStringLiteral("%1个月").arg(rest);
    }
    if (rest == 0) {
        return QStringLiteral("%1年").arg(years);
    }
    return QStringLiteral("%1年%2个月").arg(years).arg(rest);
}

ServiceYears serviceYears(QDate joined, QDate left)
{
    if (!joined.isValid() || !left.isValid()) {
        return {std::nullopt, QString(), QStringLiteral("入职日期或离职日期无效")};
    }
    if (left < joined) {
        return {std::nullopt, QString(), QStringLiteral("离职日期早于入职日期，无法计算工作年限")};
    }
    // The leaving day itself is a day of service, so the count runs up to the day after it.
    const QDate end = left.addDays(1);
    // QDate::addMonths clamps to the last day of a shorter month, and always counts from the
    // joining date itself, so a clamp in February does not shorten the months after it.
    int months = (end.year() - joined.year()) * 12 + (end.month() - joined.month());
    if (joined.addMonths(months) > end) {
        --months;
    }
    return {months, serviceYearsText(months), QString()};
}

} // namespace Legal
