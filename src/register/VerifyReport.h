#pragma once

#include "register/RegisterTypes.h"

#include <QString>

namespace Register {

// The answer of 查验 in words, the same in the window and in kavri-cli: whether the register
// holds the certificate, whose it is, and whether the presented text is the one that left (or
// where it first differs).
QString verifyReport(const VerifyResult& result);

} // namespace Register
