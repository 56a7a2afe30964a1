#pragma once

#include "seal/SealCheck.h"

#include <QString>
#include <QStringList>

namespace Register {
class CertificateRegister;
}

// 查验 by scan: the codes in a file checked against this desk's key and the keys it trusts, and,
// where this desk's register holds the certificate's number, against what the register recorded.
namespace Scan {

enum class Outcome {
    Genuine = 0,    // the signature holds (and the register, where it has the number, agrees)
    Altered = 1,    // signature invalid, or the register's certificate differs
    NoCode = 2,     // no certificate code of this program in the file
    UnknownKey = 3, // signed by a key this desk does not know
};

enum class RegisterAgreement {
    NotAsked,   // no register at hand
    NotHeld,    // the register has no certificate of that number
    Agrees,     // a text the register recorded for it has the code's fingerprint
    Disagrees,  // the register's certificate of that number is another text
    Unreadable, // the register could not be read
};

struct ScanReport
{
    Outcome outcome = Outcome::NoCode;
    Seal::CheckResult check;
    RegisterAgreement agreement = RegisterAgreement::NotAsked;
    int agreeingVersion = 0; // the register's version the code was made from
    QString error;           // why the file could not be read (outcome NoCode)
};

// Compares the code's facts with the register's certificate of the same number.
RegisterAgreement compareWithRegister(Register::CertificateRegister& reg,
                                      const Seal::SealFacts& facts, int* version);

// Reads the file and checks the first certificate code in it (a code that is not one of this
// program's is passed over). reg may be null.
ScanReport verifyFile(const QString& path, const Seal::SealChecker& checker,
                      Register::CertificateRegister* reg);

// The report for the user: the verdict, the facts, the register's word; in Chinese, one line
// each.
QStringList reportLines(const ScanReport& report);

} // namespace Scan
