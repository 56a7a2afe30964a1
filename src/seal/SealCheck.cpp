#include "seal/SealCheck.h"

namespace Seal {

CheckResult SealChecker::check(const QByteArray& payload) const
{
    CheckResult result;
    const std::optional<DecodedPayload> decoded = decodePayload(payload);
    if (!decoded) {
        return result;
    }
    result.facts = decoded->facts;
    const SealKey* key = nullptr;
    if (m_own != nullptr && !m_own->isNull() && m_own->keyId() == decoded->facts.keyId) {
        key = m_own;
        result.signer = Signer::Own;
    } else if (m_trusted != nullptr) {
        for (const TrustedKey& trusted : *m_trusted) {
            if (trusted.key.keyId() == decoded->facts.keyId) {
                key = &trusted.key;
                result.signer = Signer::Trusted;
                result.signerLabel = trusted.label;
                break;
            }
        }
    }
    if (key == nullptr) {
        result.verdict = Verdict::UnknownKey;
        return result;
    }
    result.verdict = key->verify(decoded->signedPart, decoded->signature) ? Verdict::Genuine
                                                                          : Verdict::Invalid;
    return result;
}

std::optional<QByteArray> signFacts(const SealKey& key, SealFacts facts, QString* error)
{
    facts.keyId = key.keyId();
    std::optional<SealFacts> fitted = fitFacts(std::move(facts), error);
    if (!fitted) {
        return std::nullopt;
    }
    QByteArray payload = encodeSignedPart(*fitted);
    const QByteArray signature = key.sign(payload);
    if (payload.isEmpty() || signature.size() != kSignatureBytes) {
        *error = QStringLiteral("无法用签名密钥签署证明");
        return std::nullopt;
    }
    return payload + signature;
}

QString verdictText(const CheckResult& result)
{
    switch (result.verdict) {
    case Verdict::Genuine:
        if (result.signer == Signer::Own) {
            return QStringLiteral("真实：签名有效，由本单位的密钥签署。");
        }
        return QStringLiteral("真实：签名有效，由受信任单位“%1”的密钥签署。").arg(result.signerLabel);
    case Verdict::Invalid:
        return QStringLiteral("不符：签名无效，证明内容已被改动或查验码不是由该密钥签署。");
    case Verdict::UnknownKey:
        return QStringLiteral("无法确认：查验码由未知密钥（编号 %1）签署，请先导入出具单位公布的公钥。")
            .arg(keyIdText(result.facts.keyId));
    case Verdict::NotACode:
        break;
    }
    return QStringLiteral("未找到本程序的查验码。");
}

QStringList factLines(const SealFacts& facts)
{
    const auto date = [](const QDate& d) {
        return d.isValid() ? d.toString(QStringLiteral("yyyy年M月d日")) : QStringLiteral("（无）");
    };
    const auto shortened = [](const QString& text, bool cut) {
        return cut ? text + QStringLiteral("……（查验码中已截短）") : text;
    };
    return {
        QStringLiteral("证明编号：%1").arg(facts.number),
        QStringLiteral("单位：%1").arg(shortened(facts.company, facts.companyShortened)),
        QStringLiteral("姓名：%1").arg(shortened(facts.name, facts.nameShortened)),
        QStringLiteral("身份证号码末四位：%1").arg(facts.idLast4),
        QStringLiteral("入职日期：%1").arg(date(facts.joined)),
        QStringLiteral("离职日期：%1").arg(date(facts.left)),
        QStringLiteral("职务：%1").arg(shortened(facts.post, facts.postShortened)),
        QStringLiteral("出具日期：%1").arg(date(facts.issued)),
        QStringLiteral("证明文字摘要：%1").arg(QString::fromLatin1(facts.textHash.toHex())),
        QStringLiteral("密钥编号：%1").arg(keyIdText(facts.keyId)),
    };
}

} // namespace Seal
