#pragma once

#include <QString>

// The form values that go into a certificate: the nine of the form, each exactly as the form
// holds it after the date and reason trims, then the values of the placeholders added since.
// Any of them may be empty.
struct CertificateValues
{
    QString name;
    QString gender;
    QString idNumber;
    QString company;
    QString department;
    QString position;
    QString joinDate;
    QString leaveDate;
    QString reason;

    // Beyond the nine: replaced after them, in the order of Compose::kExtraPlaceholders.
    QString contractTerm;      // 【合同期限】
    QString serviceYears;      // 【工作年限】
    QString issueDate;         // 【出具日期】
    QString certificateNumber; // 【证明编号】, the register's number of this certificate
    // 【查验码】: the line under the certificate's QR code. Left empty, the composer makes it from
    // the certificate number (Compose::VerificationLine).
    QString verificationLine;
};
