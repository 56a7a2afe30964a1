#include "register/LeaverDuties.h"

#include <algorithm>

namespace Register {

std::optional<int> daysToFirstIssue(const QDate& leaveDay, const QDate& firstIssued)
{
    if (!leaveDay.isValid() || !firstIssued.isValid()) {
        return std::nullopt;
    }
    return int(leaveDay.daysTo(firstIssued));
}

int daysLate(const QDate& leaveDay, const QDate& firstIssued)
{
    return std::max(0, daysToFirstIssue(leaveDay, firstIssued).value_or(0));
}

QString issueTimingText(const QDate& leaveDay, const QDate& firstIssued)
{
    const std::optional<int> days = daysToFirstIssue(leaveDay, firstIssued);
    if (!days) {
        return {};
    }
    if (*days > 0) {
        return QStringLiteral("逾期 %1 天").arg(*days);
    }
    if (*days < 0) {
        return QStringLiteral("提前 %1 天").arg(-*days);
    }
    return QStringLiteral("当天");
}

bool isOverdueDraft(bool issued, const QDate& leaveDay, const QDate& today)
{
    return !issued && leaveDay.isValid() && leaveDay < today;
}

QDate transferDeadline(const QDate& leaveDay)
{
    return leaveDay.isValid() ? leaveDay.addDays(kTransferDays) : QDate();
}

int transferDaysOverdue(const QDate& leaveDay, const std::optional<QDate>& transferred,
                        const QDate& today)
{
    if (transferred || !leaveDay.isValid()) {
        return 0;
    }
    return std::max<int>(0, int(transferDeadline(leaveDay).daysTo(today)));
}

} // namespace Register
