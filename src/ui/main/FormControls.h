#pragma once

#include "compose/FormFields.h"
#include "ui/main/MainDialogIds.h"

#include <array>

// The main window's label and input of each field of the form, in the order of
// Compose::kFormFields: the form's layout, its accessible names and Generate all read them here.
struct FormControl
{
    int label;
    int input;
};

inline constexpr std::array<FormControl, Compose::kFormFieldCount> kFormControls = {{
    {MainIds::kNameLabel, MainIds::kName},
    {MainIds::kGenderLabel, MainIds::kGender},
    {MainIds::kIdNumberLabel, MainIds::kIdNumber},
    {MainIds::kCompanyLabel, MainIds::kCompany},
    {MainIds::kDepartmentLabel, MainIds::kDepartment},
    {MainIds::kPositionLabel, MainIds::kPosition},
    {MainIds::kJoinDateLabel, MainIds::kJoinDate},
    {MainIds::kLeaveDateLabel, MainIds::kLeaveDate},
    {MainIds::kReasonLabel, MainIds::kReason},
}};
