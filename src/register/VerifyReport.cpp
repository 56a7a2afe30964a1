#include "register/VerifyReport.h"

#include "register/IdMask.h"
#include "register/RegisterCsv.h"

namespace Register {

namespace {
QString whose(const Entry& e)
{
    const EntrySummary& s = e.summary;
    return QStringLiteral("证明编号：%1\n姓名：%2\n身份证号：%3\n公司名称：%4\n离职日期：%5\n"
                          "生成时间：%6（操作员 %7）\n状态：%8")
        .arg(s.number, s.name, maskIdNumber(s.idNumber), s.company, s.leaveDate,
             s.createdAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")), e.operatorName,
             s.issued ? statusLabel(s) + QStringLiteral("，") + lastEventLabel(s) : statusLabel(s));
}
} // namespace

QString verifyReport(const VerifyResult& r)
{
    switch (r.outcome) {
    case VerifyResult::Outcome::NotFound:
        if (r.number.isEmpty()) {
            return QStringLiteral("登记簿中没有与此文本一致的证明，文本中也没有证明编号。\n"
                                  "此证明不是本登记簿出具的，或者文本已被改动。");
        }
        return QStringLiteral("登记簿中没有编号为 %1 的证明。").arg(r.number);
    case VerifyResult::Outcome::NumberOnly:
        return QStringLiteral("登记簿中有此证明。\n") + whose(*r.entry);
    case VerifyResult::Outcome::Match:
        return QStringLiteral("登记簿中有此证明，文本与登记的第 %1 版完全一致。\n")
                   .arg(r.matchedVersion) +
               whose(*r.entry);
    case VerifyResult::Outcome::Mismatch: {
        const Difference& d = *r.difference;
        QString found;
        switch (r.foundBy) {
        case VerifyResult::FoundBy::NameAndIdNumber:
            found = QStringLiteral("文本中没有证明编号。按文本中的姓名和身份证号，最接近的是");
            break;
        case VerifyResult::FoundBy::NameAndLeaveDate:
            found = QStringLiteral("文本中没有证明编号。按文本中的姓名和离职日期，最接近的是");
            break;
        case VerifyResult::FoundBy::Number:
        case VerifyResult::FoundBy::WholeText:
            found = QStringLiteral("登记簿中有");
            break;
        }
        QString report = found +
                         QStringLiteral("编号为 %1 的证明，但文本与登记的不一致。\n"
                                        "第 %2 行第 %3 列起不同（与第 %4 版比较）：\n"
                                        "　登记：%5\n　出示：%6\n")
                             .arg(r.number)
                             .arg(d.line)
                             .arg(d.column)
                             .arg(r.matchedVersion)
                             .arg(d.recordedExcerpt, d.presentedExcerpt);
        if (r.otherCandidates > 0) {
            report += QStringLiteral("另有 %1 份证明也符合，与文本相差更多。\n").arg(r.otherCandidates);
        }
        return report + whose(*r.entry);
    }
    }
    return {};
}

QString auditVerdict(const AuditResult& result)
{
    if (result.intact) {
        return QStringLiteral("完整");
    }
    return result.failedRow > 0 ? QStringLiteral("在第 %1 条处被改动").arg(result.failedRow)
                                : QStringLiteral("被改动");
}

QString auditReport(const AuditResult& result)
{
    if (result.intact) {
        return QStringLiteral("完整：链中 %1 条记录，链头 %2")
            .arg(result.rows)
            .arg(result.head.isEmpty() ? QStringLiteral("（空）") : result.head);
    }
    return auditVerdict(result) + QStringLiteral("：") + result.problem;
}

} // namespace Register
