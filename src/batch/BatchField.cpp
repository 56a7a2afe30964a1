#include "batch/BatchField.h"

const std::array<BatchField, kBatchFieldCount> kBatchFields = {
    BatchField::Name,          BatchField::Gender,      BatchField::IdNumber,
    BatchField::Company,       BatchField::Department,  BatchField::Position,
    BatchField::JoinDate,      BatchField::LeaveDate,   BatchField::Reason,
    BatchField::ContractStart, BatchField::ContractEnd, BatchField::OpenEnded,
};

QString batchFieldHeader(BatchField field)
{
    switch (field) {
    case BatchField::Name:
        return QStringLiteral("姓名");
    case BatchField::Gender:
        return QStringLiteral("性别");
    case BatchField::IdNumber:
        return QStringLiteral("身份证号");
    case BatchField::Company:
        return QStringLiteral("公司名称");
    case BatchField::Department:
        return QStringLiteral("部门");
    case BatchField::Position:
        return QStringLiteral("职位");
    case BatchField::JoinDate:
        return QStringLiteral("入职日期");
    case BatchField::LeaveDate:
        return QStringLiteral("离职日期");
    case BatchField::Reason:
        return QStringLiteral("离职原因");
    case BatchField::ContractStart:
        return QStringLiteral("合同起始日期");
    case BatchField::ContractEnd:
        return QStringLiteral("合同终止日期");
    case BatchField::OpenEnded:
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
    return field == BatchField::JoinDate || field == BatchField::LeaveDate ||
           field == BatchField::ContractStart || field == BatchField::ContractEnd;
}
