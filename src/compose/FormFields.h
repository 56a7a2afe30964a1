#pragma once

#include "compose/CertificateValues.h"

#include <QString>
#include <QStringView>
#include <array>
#include <optional>

// The nine fields of the form, once. Everything that lists them is made from this table: the
// composer's placeholders, the main window's form, the batch sheet's columns, the register's
// values and list columns, the register's CSV and kavri-cli's value options. A new field is one
// more line here, its member in CertificateValues and its widget in the main window.
namespace Compose {

// How a value is cleaned before it goes into a certificate.
enum class FieldTrim
{
    None,
    Date,   // TrimDateText: the first 11 characters of a date picker's text, without spaces
    Reason, // TrimReasonText: up to the first "（"; the library remembers the untrimmed text
};

// Which column of the register's list (and of its CSV export) shows the field.
enum class RegisterColumn
{
    None,
    Name,
    IdNumber,
    Company,
    LeaveDate,
};

struct FormField
{
    // kavri-cli's option ("--name").
    QStringView key;
    // The placeholder's name: the form's label (with "："), the batch sheet's column header, the
    // name the register keeps the value under and the register's column heading.
    QStringView label;
    // The placeholder in a template.
    QStringView marker;
    // What stands for it in the template preview.
    QStringView blank;
    QString CertificateValues::*value;
    FieldTrim trim;
    RegisterColumn column;
};

inline constexpr int kFormFieldCount = 9;

// In the form's order, which is also the order in which the certificate replaces them.
inline constexpr std::array<FormField, kFormFieldCount> kFormFields = {{
    {u"name", u"姓名", u"【姓名】", u"＿＿＿", &CertificateValues::name, FieldTrim::None,
     RegisterColumn::Name},
    {u"gender", u"性别", u"【性别】", u"＿＿", &CertificateValues::gender, FieldTrim::None,
     RegisterColumn::None},
    {u"id", u"身份证号", u"【身份证号】", u"＿＿＿＿＿＿＿＿", &CertificateValues::idNumber,
     FieldTrim::None, RegisterColumn::IdNumber},
    {u"company", u"公司名称", u"【公司名称】", u"＿＿＿＿＿＿", &CertificateValues::company,
     FieldTrim::None, RegisterColumn::Company},
    {u"department", u"部门", u"【部门】", u"＿＿＿＿", &CertificateValues::department,
     FieldTrim::None, RegisterColumn::None},
    {u"position", u"职位", u"【职位】", u"＿＿＿＿", &CertificateValues::position,
     FieldTrim::None, RegisterColumn::None},
    {u"joined", u"入职日期", u"【入职日期】", u"＿＿年＿月＿日", &CertificateValues::joinDate,
     FieldTrim::Date, RegisterColumn::None},
    {u"left", u"离职日期", u"【离职日期】", u"＿＿年＿月＿日", &CertificateValues::leaveDate,
     FieldTrim::Date, RegisterColumn::LeaveDate},
    {u"reason", u"离职原因", u"【离职原因】", u"＿＿＿＿＿", &CertificateValues::reason,
     FieldTrim::Reason, RegisterColumn::None},
}};

// The positions of the fields in kFormFields, for code that names one.
enum class FieldIndex
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
};
inline constexpr const FormField& formField(FieldIndex index)
{
    return kFormFields[static_cast<size_t>(index)];
}

// One value for each field, in the table's order.
using FieldValues = std::array<QString, kFormFieldCount>;

// The field's label as a QString ("姓名").
QString fieldLabel(const FormField& field);
// The field a label names, surrounding white space (full-width included) ignored.
std::optional<int> fieldOfLabel(const QString& label);
// The field shown in a register column.
constexpr const FormField& fieldOfColumn(RegisterColumn column)
{
    for (const FormField& field : kFormFields) {
        if (field.column == column) {
            return field;
        }
    }
    return kFormFields[0];
}

// The value as it goes into the certificate: `raw` cleaned by the field's trim.
QString trimmedValue(const FormField& field, const QString& raw);
// The nine values of a certificate, each cleaned by its field's trim; the values beyond the nine
// stay empty.
CertificateValues certificateValuesOf(const FieldValues& raw);

// The labels joined by `separator`, in the table's order ("姓名、性别、…").
QString fieldLabels(QStringView separator);

} // namespace Compose
