#pragma once

#include "register/RegisterTypes.h"

#include <QString>

namespace Register {

// The answer of 查验 in words, the same in the window and in kavri-cli: whether the register
// holds the certificate, whose it is, and whether the presented text is the one that left (or
// where it first differs).
QString verifyReport(const VerifyResult& result);

// The audit's verdict in a few words: "完整", "在第 N 条处被改动" (N the chain row), or "被改动"
// when what failed is no row (a number, a counter).
QString auditVerdict(const AuditResult& result);
// The verdict with the head link (intact) or what failed.
QString auditReport(const AuditResult& result);

} // namespace Register
