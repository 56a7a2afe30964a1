// Runs under LANG=C (see CMakeLists.txt): Qt's own texts are Chinese after the application
// object's start-up whatever the user's locale.
#include <QCalendarWidget>
#include <QDate>
#include <QDateEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

QString ButtonText(const QMessageBox& box, QMessageBox::StandardButton which)
{
    const QAbstractButton* button = box.button(which);
    return button ? button->text() : QStringLiteral("<none>");
}

TEST(QtChineseTexts, MessageBoxButtonsReadChinese)
{
    ASSERT_EQ(qgetenv("LANG"), QByteArray("C")) << "this test is meant to run under LANG=C";
    QMessageBox box(QMessageBox::Question, QStringLiteral("kavri"), QStringLiteral("继续？"),
                    QMessageBox::Ok | QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(ButtonText(box, QMessageBox::Ok), QStringLiteral("确定"));
    EXPECT_EQ(ButtonText(box, QMessageBox::Yes), QStringLiteral("是(&Y)"));
    EXPECT_EQ(ButtonText(box, QMessageBox::No), QStringLiteral("否(&N)"));
    EXPECT_EQ(ButtonText(box, QMessageBox::Cancel), QStringLiteral("取消"));
}

TEST(QtChineseTexts, DatePickersAndTheCalendarSpeakChinese)
{
    EXPECT_EQ(QLocale().language(), QLocale::Chinese);
    EXPECT_EQ(QLocale().territory(), QLocale::China);
    QDateEdit picker;
    picker.setCalendarPopup(true);
    EXPECT_EQ(picker.locale().language(), QLocale::Chinese);
    EXPECT_EQ(picker.calendarWidget()->locale().language(), QLocale::Chinese);
    // The calendar's header names the month the way a Chinese calendar does.
    EXPECT_EQ(picker.calendarWidget()->locale().standaloneMonthName(3), QStringLiteral("三月"));
    EXPECT_EQ(picker.calendarWidget()->locale().dayName(1, QLocale::ShortFormat),
              QStringLiteral("周一"));
}

} // namespace
