#include "batch/BatchField.h"

#include "compose/FormFields.h"

const std::array<BatchField, kBatchFieldCount> kBatchFields = {
    BatchField::Name,          BatchField::Gender,      BatchField::IdNumber,
    BatchField::Company,       BatchField::Department,  BatchField::Position,
    BatchField::JoinDate,      BatchField::LeaveDate,   BatchField::Reason,
    BatchField::ContractStart, BatchField::ContractEnd, BatchField::OpenEnded,
};

QString batchFieldHeader(BatchField field)
{
    // The nine are the form's fields, under their labels.
    const int index = static_cast<int>(field);
    if (index < Compose::kFormFieldCount) {
        return Compose::fieldLabel(Compose::kFormFields[size_t(index)]);
    }
    switch (field) {
    case BatchField::ContractStart:
        return QStringLiteral("合同起始日期");
    case BatchField::ContractEnd:
        return QStringLiteral("合同终止日期");
    case BatchField::OpenEnded:
        return QStringLiteral("无固定期限");
    default:
        break;
    }
    return QString();
}

std::optional<BatchField> batchFieldOfHeader(const QString& header)
{
    // QString::trimmed() knows U+3000 as white space, so a header typed with full-width
    // spaces matches too.
    const QString wanted = header.trimmed();
    for (BatchField field : kBatchFields) {
        if (batchFieldHeader(field) == wanted) {
            return field;
        }
    }
    return std::nullopt;
}

bool isDateField(BatchField field)
{
    return field == BatchField::JoinDate || field == BatchField::LeaveDate ||
           field == BatchField::ContractStart || field == BatchField::ContractEnd;
}
