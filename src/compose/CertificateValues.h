#pragma once

#include <QString>

// The nine form values that go into a certificate, each exactly as the form holds it after the
// date and reason trims. Any of them may be empty.
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
    QString certificateNumber; // 【证明编号】, the register's number of this certificate
};
