#pragma once

#include "compose/FormFields.h"

#include <QString>
#include <array>
#include <optional>

// The columns a batch sheet may have, each named by the header the clerk writes over it: the
// form's fields in the order of Compose::kFormFields, then the contract's.
enum class BatchField
{
    Name,
    Gender,
    IdNumber,
    Company,
    Department,
    Position,
    JoinDate,
    LeaveDate,
    Reason,
    ContractStart,
    ContractEnd,
    OpenEnded,
};

inline constexpr int kBatchFieldCount = 12;
static_assert(static_cast<int>(BatchField::ContractStart) == Compose::kFormFieldCount,
              "the form's fields come first, in the table's order");

// Every field in the form's order, then the contract fields.
extern const std::array<BatchField, kBatchFieldCount> kBatchFields;

// The header text of a field: "姓名", "身份证号", "合同起始日期", ...
QString batchFieldHeader(BatchField field);

// The field whose header this is, surrounding white space (full-width included) ignored.
std::optional<BatchField> batchFieldOfHeader(const QString& header);

// Fields whose value is a date.
bool isDateField(BatchField field);
