#pragma once

#include "compose/CertificateValues.h"
#include "seal/QrMatrix.h"
#include "seal/SealKey.h"
#include "seal/SealPayload.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <optional>

// A certificate's seal as it leaves the program: its facts from the form values, signed with
// the installation's key, as the payload of its QR code.
namespace Seal {

// A date as the form or a sheet writes it: "2019年3月1日", "2019-03-01", "2019/3/1",
// "2019.03.01"; an invalid date for anything else.
QDate parseFactDate(const QString& text);

// The facts a certificate's code carries: from the values, the fingerprint of `text` (the
// certificate exactly as it leaves), issued on `issued` (the values' issue date where they hold
// one). The key id is set when it is signed.
SealFacts factsFor(const CertificateValues& values, const QString& text, const QDate& issued);

struct SealedCertificate
{
    QByteArray payload;
    QrMatrix code;
};

// The signed payload and its QR code; nullopt and *error (Chinese) when the facts cannot be
// carried or signing fails.
std::optional<SealedCertificate> sealCertificate(const SealKey& key, const CertificateValues& values,
                                                 const QString& text, const QDate& issued,
                                                 QString* error);

} // namespace Seal
