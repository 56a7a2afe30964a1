#include "seal/CertificateSeal.h"

#include "seal/SealCheck.h"

#include <QRegularExpression>

namespace Seal {

QDate parseFactDate(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d{4})\\s*[年./-]\\s*(\\d{1,2})\\s*[月./-]\\s*(\\d{1,2})\\s*日?\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        return {};
    }
    return QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
}

SealFacts factsFor(const CertificateValues& values, const QString& text, const QDate& issued)
{
    SealFacts facts;
    facts.number = values.certificateNumber;
    facts.company = values.company.trimmed();
    facts.name = values.name.trimmed();
    facts.idLast4 = idNumberTail(values.idNumber);
    facts.joined = parseFactDate(values.joinDate);
    facts.left = parseFactDate(values.leaveDate);
    facts.post = values.position.trimmed();
    const QDate written = parseFactDate(values.issueDate);
    facts.issued = written.isValid() ? written : issued;
    facts.textHash = certificateTextHash(text);
    return facts;
}

std::optional<SealedCertificate> sealCertificate(const SealKey& key, const CertificateValues& values,
                                                 const QString& text, const QDate& issued,
                                                 QString* error)
{
    std::optional<QByteArray> payload = signFacts(key, factsFor(values, text, issued), error);
    if (!payload) {
        return std::nullopt;
    }
    SealedCertificate sealed{*payload, encodeQr(*payload)};
    if (sealed.code.isNull()) {
        *error = QStringLiteral("查验码超出二维码的容量");
        return std::nullopt;
    }
    return sealed;
}

} // namespace Seal
