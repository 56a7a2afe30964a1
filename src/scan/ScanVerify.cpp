#include "scan/ScanVerify.h"

#include "register/CertificateRegister.h"
#include "scan/CodeScanner.h"

namespace Scan {

RegisterAgreement compareWithRegister(Register::CertificateRegister& reg,
                                      const Seal::SealFacts& facts, int* version)
{
    QString error;
    const std::optional<qint64> id = reg.storage().findByNumber(facts.number.trimmed(), &error);
    if (!id) {
        return RegisterAgreement::Unreadable;
    }
    if (*id == 0) {
        return RegisterAgreement::NotHeld;
    }
    const std::optional<Register::Entry> entry = reg.entry(*id, &error);
    if (!entry) {
        return RegisterAgreement::Unreadable;
    }
    const QString fingerprint = QString::fromLatin1(facts.textHash.toHex());
    for (const Register::Version& recorded : entry->versions) {
        if (recorded.sha256.startsWith(fingerprint, Qt::CaseInsensitive)) {
            *version = recorded.versionNo;
            return RegisterAgreement::Agrees;
        }
    }
    return RegisterAgreement::Disagrees;
}

ScanReport verifyFile(const QString& path, const Seal::SealChecker& checker,
                      Register::CertificateRegister* reg)
{
    ScanReport report;
    const std::optional<QList<QByteArray>> codes = readCodes(path, &report.error);
    if (!codes) {
        return report;
    }
    for (const QByteArray& payload : *codes) {
        const Seal::CheckResult check = checker.check(payload);
        if (check.verdict == Seal::Verdict::NotACode) {
            continue;
        }
        report.check = check;
        break;
    }
    switch (report.check.verdict) {
    case Seal::Verdict::NotACode:
        report.outcome = Outcome::NoCode;
        return report;
    case Seal::Verdict::UnknownKey:
        report.outcome = Outcome::UnknownKey;
        return report;
    case Seal::Verdict::Invalid:
        report.outcome = Outcome::Altered;
        return report;
    case Seal::Verdict::Genuine:
        break;
    }
    report.outcome = Outcome::Genuine;
    if (reg != nullptr) {
        report.agreement = compareWithRegister(*reg, report.check.facts, &report.agreeingVersion);
        if (report.agreement == RegisterAgreement::Disagrees) {
            report.outcome = Outcome::Altered;
        }
    }
    return report;
}

QStringList reportLines(const ScanReport& report)
{
    if (report.outcome == Outcome::NoCode) {
        QStringList lines{Seal::verdictText(report.check)};
        if (!report.error.isEmpty()) {
            lines = QStringList{report.error + QStringLiteral("。")};
        }
        return lines;
    }
    QStringList lines{Seal::verdictText(report.check)};
    lines += Seal::factLines(report.check.facts);
    switch (report.agreement) {
    case RegisterAgreement::NotAsked:
        break;
    case RegisterAgreement::NotHeld:
        lines << QStringLiteral("本登记簿中没有编号为 %1 的证明。").arg(report.check.facts.number);
        break;
    case RegisterAgreement::Agrees:
        lines << QStringLiteral("本登记簿中的证明 %1（第 %2 版）与查验码一致。")
                     .arg(report.check.facts.number)
                     .arg(report.agreeingVersion);
        break;
    case RegisterAgreement::Disagrees:
        lines << QStringLiteral("本登记簿中的证明 %1 与查验码不一致：登记簿没有记录这份证明文字。")
                     .arg(report.check.facts.number);
        break;
    case RegisterAgreement::Unreadable:
        lines << QStringLiteral("无法读取本登记簿，未能与登记簿核对。");
        break;
    }
    return lines;
}

} // namespace Scan
