#pragma once

#include "compose/CertificateValues.h"
#include "seal/QrMatrix.h"
#include "seal/SealKey.h"

#include <QDate>
#include <QString>
#include <optional>

namespace Register {
struct Entry;
}

// The signed QR code a certificate carries when it leaves kavri. It is made once per leaving,
// from the text exactly as it leaves, before its page is drawn: the page draws the code and the
// register keeps the same code's content with the leaving.
namespace Issue {

// What is signed: the certificate's values as issued (number and date of issue included) under
// the template they were composed from. Only a template with 【查验码】 gets a code.
struct SealSubject
{
    QString templateText;
    CertificateValues values;
    // The date of issue when the values do not state one (a certificate of the register).
    QDate issued;
};

// The seal of one leaving.
struct Sealed
{
    // The code's content as the register records it (base64); empty when the page carries none.
    QString seal;
    // The modules the page draws; null when it carries none.
    Seal::QrMatrix code;
    // Why the certificate could not be signed, in Chinese; then it must not leave.
    QString error;

    bool failed() const { return !error.isEmpty(); }
};

// Signs with the installation's key, made at the first certificate that needs it and kept.
// Use it from one thread at a time.
class LeavingSealer
{
public:
    // The key file (see Seal::sealKeyPathBeside); a new path forgets the key read before.
    void useKeyFile(const QString& path);
    const QString& keyFile() const { return m_keyPath; }

    // The seal of `text` leaving kavri: nothing, and no key touched, for a template without
    // 【查验码】.
    Sealed seal(const SealSubject& subject, const QString& text);

private:
    QString m_keyPath;
    std::optional<Seal::SealKey> m_key;
};

// What a certificate of the register is signed from when it leaves again: its recorded values,
// its number and its date of issue (the recorded 出具日期, else the day the entry was made).
SealSubject sealSubjectOf(const Register::Entry& entry);

} // namespace Issue
