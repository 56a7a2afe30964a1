#include "batch/BatchDates.h"

#include <QRegularExpression>
#include <cmath>

namespace BatchDates {

std::optional<QDate> parse(const QString& text)
{
    const QString trimmed = text.trimmed();
    static const QRegularExpression dated(QStringLiteral(
        "^(\\d{4})\\s*(?:([-/.])\\s*(\\d{1,2})\\s*\\2\\s*(\\d{1,2})|年\\s*(\\d{1,2})\\s*月\\s*"
        "(\\d{1,2})\\s*日)(?:[ T]\\d{1,2}:\\d{2}(?::\\d{2}(?:\\.\\d+)?)?)?$"));
    const QRegularExpressionMatch match = dated.match(trimmed);
    if (match.hasMatch()) {
        const int year = match.captured(1).toInt();
        const bool written = match.capturedLength(5) > 0;
        const int month = match.captured(written ? 5 : 3).toInt();
        const int day = match.captured(written ? 6 : 4).toInt();
        const QDate date(year, month, day);
        if (!date.isValid()) {
            return std::nullopt;
        }
        return date;
    }
    static const QRegularExpression serial(QStringLiteral("^\\d{1,6}(?:\\.\\d+)?$"));
    if (serial.match(trimmed).hasMatch()) {
        return fromSerial(trimmed.toDouble(), false);
    }
    return std::nullopt;
}

std::optional<QDate> fromSerial(double serial, bool date1904)
{
    if (!std::isfinite(serial) || serial < 0 || serial > 2958465) { // up to 9999-12-31
        return std::nullopt;
    }
    const qint64 day = static_cast<qint64>(std::floor(serial));
    if (date1904) {
        return QDate(1904, 1, 1).addDays(day);
    }
    if (day < 1 || day == 60) {
        return std::nullopt;
    }
    // Day 1 is 1900-01-01; from day 61 on, the invented 29 February has to be skipped.
    return day < 60 ? QDate(1899, 12, 31).addDays(day) : QDate(1899, 12, 30).addDays(day);
}

QString longForm(const QDate& date)
{
    return QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
}

} // namespace BatchDates
