#include "batch/BatchField.h"

#include "compose/FormFields.h"

using Compose::FieldIndex;

QString batchFieldHeader(BatchField field)
{
    // The form's fields go under their labels.
    if (field.isFormField()) {
        return Compose::fieldLabel(Compose::kFormFields[size_t(field.index())]);
    }
    if (field == BatchField::ContractStart) {
        return QStringLiteral("合同起始日期");
    }
    if (field == BatchField::ContractEnd) {
        return QStringLiteral("合同终止日期");
    }
    if (field == BatchField::OpenEnded) {
        return QStringLiteral("无固定期限");
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
    return field == FieldIndex::JoinDate || field == FieldIndex::LeaveDate ||
           field == BatchField::ContractStart || field == BatchField::ContractEnd;
}
