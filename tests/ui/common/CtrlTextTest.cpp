#include "ui/common/CtrlText.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

template <typename W> W* control(QWidget* parent, int id)
{
    auto* widget = new W(parent);
    widget->setObjectName(QString::number(id));
    return widget;
}

TEST(CtrlText, TextsGoToAndComeFromTheControlWithThatId)
{
    QDialog dialog;
    auto* name = control<QLineEdit>(&dialog, 1012);
    auto* company = control<QComboBox>(&dialog, 1018);
    company->setEditable(true);
    company->addItems({"甲公司", "乙公司"});
    auto* label = control<QLabel>(&dialog, 1001);
    auto* button = control<QPushButton>(&dialog, 1029);

    SetCtrlText(&dialog, 1012, "张三");
    SetCtrlText(&dialog, 1018, "丙公司");
    SetCtrlText(&dialog, 1001, "标签");
    SetCtrlText(&dialog, 1029, "生成离职证明");
    EXPECT_EQ(name->text(), "张三");
    EXPECT_EQ(company->currentText(), "丙公司");
    EXPECT_EQ(company->count(), 2);
    EXPECT_EQ(label->text(), "标签");
    EXPECT_EQ(button->text(), "生成离职证明");
    EXPECT_EQ(GetCtrlText(&dialog, 1012), "张三");
    EXPECT_EQ(GetCtrlText(&dialog, 1018), "丙公司");
}

TEST(CtrlText, MultiLineTextKeepsCrLfBreaks)
{
    QDialog dialog;
    auto* box = control<QPlainTextEdit>(&dialog, 1008);
    const QString text = "　　离职证明\r\n\r\n\r\n正文\r\n";
    SetCtrlText(&dialog, 1008, text);
    EXPECT_EQ(box->blockCount(), 5);
    EXPECT_EQ(GetCtrlText(&dialog, 1008), text);
}

TEST(CtrlText, DatePickerShowsItsLongDate)
{
    QDialog dialog;
    auto* picker = control<QDateEdit>(&dialog, 1024);
    picker->setDisplayFormat("yyyy年M月d日");
    picker->setDate(QDate(2023, 7, 9));
    EXPECT_EQ(GetCtrlText(&dialog, 1024), "2023年7月9日");
    SetCtrlText(&dialog, 1024, "2020年12月31日");
    EXPECT_EQ(picker->date(), QDate(2020, 12, 31));
    SetCtrlText(&dialog, 1024, "不是日期");
    EXPECT_EQ(picker->date(), QDate(2020, 12, 31));
}

TEST(CtrlText, UnknownIdIsIgnored)
{
    QDialog dialog;
    control<QLineEdit>(&dialog, 1012)->setText("留着");
    SetCtrlText(&dialog, 9999, "x");
    EXPECT_EQ(GetCtrlText(&dialog, 9999), QString());
    EXPECT_EQ(GetCtrlText(&dialog, 1012), "留着");
    EXPECT_EQ(GetCtrlText(nullptr, 1012), QString());
}

} // namespace
