#pragma once

#include "seal/SealFiles.h"
#include "seal/SealPayload.h"

#include <QList>
#include <QString>
#include <optional>

// Checks a QR code's payload: whose key signed it and whether the signature holds.
namespace Seal {

enum class Verdict {
    Genuine,    // the signature holds, by a key this desk knows
    Invalid,    // a known key, but the signature does not hold: the facts were altered
    UnknownKey, // signed by a key this desk does not know; nothing can be said of the facts
    NotACode,   // the bytes are not a certificate code of this program
};

enum class Signer { Own, Trusted, Unknown };

struct CheckResult
{
    Verdict verdict = Verdict::NotACode;
    Signer signer = Signer::Unknown;
    QString signerLabel; // the trusted company's name
    SealFacts facts;     // as the code carries them (empty for NotACode)
};

class SealChecker
{
public:
    // ownKey: this installation's key (may be null); trusted: other companies' or desks' keys.
    SealChecker(const SealKey* ownKey, const QList<TrustedKey>* trusted)
        : m_own(ownKey), m_trusted(trusted)
    {
    }

    CheckResult check(const QByteArray& payload) const;

private:
    const SealKey* m_own;
    const QList<TrustedKey>* m_trusted;
};

// The payload for facts, signed with key (which sets the facts' key id); facts are shortened to
// fit first (see fitFacts). nullopt and *error when they cannot be.
std::optional<QByteArray> signFacts(const SealKey& key, SealFacts facts, QString* error);

// The verdict in one line of Chinese, e.g. "真实：签名有效，由本单位的密钥签署".
QString verdictText(const CheckResult& result);
// The carried facts, one "名称：值" line each.
QStringList factLines(const SealFacts& facts);

} // namespace Seal
