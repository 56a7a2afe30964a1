#pragma once

#include "register/RegisterTypes.h"

#include <QDate>
#include <QString>
#include <optional>

// The employer's duties around a leaver, as dates. The certificate is due when the employment
// ends; the personnel file and the social insurance are to be transferred within 15 days of the
// end. Days are calendar days; the leaving day itself is not counted in a period that starts
// from it, so 15 days from 31 March end on 15 April.
namespace Register {

inline constexpr int kTransferDays = 15;

// Days from the leaving day to the day the certificate first left kavri: 0 on the leaving day,
// negative when it left before. Empty when either day is unknown.
std::optional<int> daysToFirstIssue(const QDate& leaveDay, const QDate& firstIssued);

// Days the certificate left late (逾期): the days after the leaving day, 0 when it left on or
// before that day or when a day is unknown.
int daysLate(const QDate& leaveDay, const QDate& firstIssued);

// How the first issue stood to the leaving day, as the register shows it: "逾期 2 天", "当天",
// "提前 3 天"; empty when a day is unknown.
QString issueTimingText(const QDate& leaveDay, const QDate& firstIssued);

// A draft is 待出具 once its leaving day has passed: the certificate should have left by then.
bool isOverdueDraft(bool issued, const QDate& leaveDay, const QDate& today);

// The last day of the transfer of the personnel file and the social insurance.
QDate transferDeadline(const QDate& leaveDay);

// Days past that last day with no transfer recorded; 0 when there is time left, when the
// transfer was recorded, or when the leaving day is unknown.
int transferDaysOverdue(const QDate& leaveDay, const std::optional<QDate>& transferred,
                        const QDate& today);

} // namespace Register
