#include "register/DueList.h"

#include "register/CertificateRegister.h"
#include "register/DutyRecords.h"
#include "register/LeaverDuties.h"

#include <algorithm>

namespace Register {

std::optional<DueLists> dueLists(CertificateRegister& reg, const QDate& today, QString* error)
{
    SearchQuery all;
    all.limit = 0;
    const std::optional<QList<EntrySummary>> rows = reg.search(all, error);
    if (!rows) {
        return std::nullopt;
    }
    DueLists lists;
    for (const EntrySummary& row : *rows) {
        if (!row.leaveDay.isValid()) {
            continue; // no leaving day, no deadline
        }
        const std::optional<QDate> transferred =
            row.transferDay.isValid() ? std::optional<QDate>(row.transferDay) : std::nullopt;
        if (const int past = transferDaysOverdue(row.leaveDay, transferred, today); past > 0) {
            lists.transfers.append({row, QDate(), past});
        }
        if (!row.issued) {
            if (isOverdueDraft(row.issued, row.leaveDay, today)) {
                lists.drafts.append({row, QDate(), int(row.leaveDay.daysTo(today))});
            }
            continue;
        }
        // Only an entry issued after its leaving day can be late; the first event says when.
        if (row.lastEventAt.toLocalTime().date() <= row.leaveDay) {
            continue;
        }
        const std::optional<Entry> entry = reg.entry(row.id, error);
        if (!entry) {
            return std::nullopt;
        }
        const QDate first = firstLeavingDay(*entry);
        if (!first.isValid()) {
            continue;
        }
        if (const int late = daysLate(row.leaveDay, first); late > 0) {
            lists.late.append({row, first, late});
        }
    }
    std::stable_sort(lists.drafts.begin(), lists.drafts.end(), [](const auto& a, const auto& b) {
        return a.summary.leaveDay < b.summary.leaveDay;
    });
    const auto mostDaysFirst = [](const auto& a, const auto& b) { return a.daysLate > b.daysLate; };
    std::stable_sort(lists.late.begin(), lists.late.end(), mostDaysFirst);
    std::stable_sort(lists.transfers.begin(), lists.transfers.end(), mostDaysFirst);
    return lists;
}

QString dueListsText(const DueLists& lists)
{
    const QString day = QStringLiteral("yyyy-MM-dd");
    QStringList lines;
    lines << QStringLiteral("待出具（离职日期已过，证明尚未交出）：%1 份").arg(lists.drafts.size());
    for (const DueLine& line : lists.drafts) {
        lines << QStringList{line.summary.number, line.summary.name,
                             line.summary.leaveDay.toString(day),
                             QStringLiteral("已过 %1 天").arg(line.daysLate)}
                     .join(u'\t');
    }
    lines << QStringLiteral("逾期出具：%1 份").arg(lists.late.size());
    for (const DueLine& line : lists.late) {
        lines << QStringList{line.summary.number, line.summary.name,
                             line.summary.leaveDay.toString(day), line.firstIssued.toString(day),
                             issueTimingText(line.summary.leaveDay, line.firstIssued)}
                     .join(u'\t');
    }
    lines << QStringLiteral("档案和社保转移逾期（离职满 %1 天仍未记录转移）：%2 份")
                 .arg(kTransferDays)
                 .arg(lists.transfers.size());
    for (const DueLine& line : lists.transfers) {
        lines << QStringList{line.summary.number, line.summary.name,
                             line.summary.leaveDay.toString(day),
                             QStringLiteral("截止 ") +
                                 transferDeadline(line.summary.leaveDay).toString(day),
                             QStringLiteral("逾期 %1 天").arg(line.daysLate)}
                     .join(u'\t');
    }
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

} // namespace Register
