// The one table of the form's fields, from which the form, the batch sheet's columns, the
// register's values and kavri-cli's options are made.
#include "compose/CertificateComposer.h"
#include "compose/FormFields.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace Compose;

TEST(FormFields, EachFieldIsNamedOnceAndItsPlaceholderIsItsLabelInBrackets)
{
    QSet<QString> keys;
    QSet<QString> labels;
    QList<QString CertificateValues::*> members;
    for (const FormField& field : kFormFields) {
        EXPECT_EQ(field.marker.toString(), QStringLiteral("【%1】").arg(field.label.toString()));
        keys.insert(field.key.toString());
        labels.insert(field.label.toString());
        EXPECT_FALSE(members.contains(field.value)) << field.key.toString().toStdString();
        members.append(field.value);
    }
    EXPECT_EQ(keys.size(), kFormFieldCount);
    EXPECT_EQ(labels.size(), kFormFieldCount);
    // The composer replaces exactly these, in this order.
    for (size_t i = 0; i < kFormFields.size(); ++i) {
        EXPECT_EQ(kPlaceholders[i].marker, kFormFields[i].marker);
        EXPECT_EQ(kPlaceholders[i].blank, kFormFields[i].blank);
    }
}

TEST(FormFields, TheFormsOrderAndNamesAreTheOnesUsersKnow)
{
    EXPECT_EQ(fieldLabels(u"、"),
              QStringLiteral("姓名、性别、身份证号、公司名称、部门、职位、入职日期、离职日期、离职原因"));
    QStringList keys;
    for (const FormField& field : kFormFields) {
        keys << field.key.toString();
    }
    EXPECT_EQ(keys, (QStringList{"name", "gender", "id", "company", "department", "position",
                                 "joined", "left", "reason"}));
    EXPECT_EQ(fieldLabel(fieldOfColumn(RegisterColumn::Name)), QStringLiteral("姓名"));
    EXPECT_EQ(fieldLabel(fieldOfColumn(RegisterColumn::IdNumber)), QStringLiteral("身份证号"));
    EXPECT_EQ(fieldLabel(fieldOfColumn(RegisterColumn::Company)), QStringLiteral("公司名称"));
    EXPECT_EQ(fieldLabel(fieldOfColumn(RegisterColumn::LeaveDate)), QStringLiteral("离职日期"));
}

TEST(FormFields, ALabelIsFoundWhateverWhiteSpaceSurroundsIt)
{
    EXPECT_EQ(fieldOfLabel(QStringLiteral("公司名称")), 3);
    EXPECT_EQ(fieldOfLabel(QStringLiteral("\u3000公司名称 ")), 3);
    EXPECT_EQ(fieldOfLabel(QStringLiteral("离职原因")), 8);
    EXPECT_FALSE(fieldOfLabel(QStringLiteral("工号")));
    EXPECT_FALSE(fieldOfLabel(QStringLiteral("公司")));
}

TEST(FormFields, DatesAndTheReasonAreTrimmedAsTheFormTrimsThem)
{
    FieldValues raw;
    raw.fill(QStringLiteral(" 值 "));
    raw[6] = QStringLiteral("2019年 3月 1日 星期五");
    raw[7] = QStringLiteral("2024年12月31日星期二");
    raw[8] = QStringLiteral("个人原因（家中有事）");
    const CertificateValues values = certificateValuesOf(raw);
    EXPECT_EQ(values.name, QStringLiteral(" 值 ")); // the other fields as typed
    EXPECT_EQ(values.joinDate, QStringLiteral("2019年3月1日"));
    EXPECT_EQ(values.leaveDate, QStringLiteral("2024年12月31日"));
    EXPECT_EQ(values.reason, QStringLiteral("个人原因"));
    EXPECT_TRUE(values.certificateNumber.isEmpty());
    EXPECT_EQ(trimmedValue(kFormFields[8], QStringLiteral("（注）全部")),
              QStringLiteral("（注）全部"));
}
