#pragma once

#include "compose/CertificateValues.h"
#include "register/RegisterTypes.h"

// The form values as the register keeps them: under their placeholders' names, in form order.
Register::FormValues RegisterFormValues(const CertificateValues& values);
