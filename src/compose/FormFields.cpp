#include "compose/FormFields.h"

#include "compose/CertificateComposer.h"

namespace Compose {

QString fieldLabel(const FormField& field)
{
    return field.label.toString();
}

std::optional<int> fieldOfLabel(const QString& label)
{
    // QString::trimmed() knows U+3000 as white space, so a label typed with full-width spaces
    // matches too.
    const QString wanted = label.trimmed();
    for (int i = 0; i < kFormFieldCount; ++i) {
        if (kFormFields[size_t(i)].label == wanted) {
            return i;
        }
    }
    return std::nullopt;
}

QString trimmedValue(const FormField& field, const QString& raw)
{
    switch (field.trim) {
    case FieldTrim::Date:
        return TrimDateText(raw);
    case FieldTrim::Reason:
        return TrimReasonText(raw);
    case FieldTrim::None:
        break;
    }
    return raw;
}

CertificateValues certificateValuesOf(const FieldValues& raw)
{
    CertificateValues values;
    for (size_t i = 0; i < kFormFields.size(); ++i) {
        values.*kFormFields[i].value = trimmedValue(kFormFields[i], raw[i]);
    }
    return values;
}

QString fieldLabels(QStringView separator)
{
    QString text;
    for (const FormField& field : kFormFields) {
        if (!text.isEmpty()) {
            text += separator;
        }
        text += field.label;
    }
    return text;
}

} // namespace Compose
