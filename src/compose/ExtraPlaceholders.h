#pragma once

#include "compose/CertificateComposer.h"

namespace Compose {

// Placeholders beyond the nine, replaced after them, in this order, in both the preview and the
// certificate, and only when the template text itself holds them: a template without them is
// composed exactly as before, whatever a typed value holds.
inline constexpr Placeholder kExtraPlaceholders[] = {
    {u"【合同期限】", &CertificateValues::contractTerm, u"＿＿＿＿＿＿＿＿＿＿"},
    {u"【工作年限】", &CertificateValues::serviceYears, u"＿＿＿＿"},
    {u"【出具日期】", &CertificateValues::issueDate, u"＿＿年＿月＿日"},
    {u"【证明编号】", &CertificateValues::certificateNumber, u"＿＿＿＿＿＿"},
    {u"【查验码】", &CertificateValues::verificationLine, u"证明编号 ＿＿＿＿＿＿（扫描二维码可离线查验）"},
};

} // namespace Compose
