#pragma once

#include "compose/CertificateComposer.h"

// The placeholders added after the nine of the form, one line each, in the order in which both
// the preview and the certificate replace them (after the nine). A new one needs its value in
// CertificateValues and one line here.
namespace Compose {

inline constexpr Placeholder kExtraPlaceholders[] = {
    {u"【合同期限】", &CertificateValues::contractTerm, u"＿＿＿＿＿＿＿＿＿＿"},
    {u"【工作年限】", &CertificateValues::serviceYears, u"＿＿＿＿"},
    {u"【出具日期】", &CertificateValues::issueDate, u"＿＿年＿月＿日"},
};

} // namespace Compose
