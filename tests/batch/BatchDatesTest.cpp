#include "batch/BatchDates.h"

#include <gtest/gtest.h>

namespace {

QString longFormOf(const QString& text)
{
    const std::optional<QDate> date = BatchDates::parse(text);
    return date ? BatchDates::longForm(*date) : QStringLiteral("<none>");
}

TEST(BatchDates, AcceptsTheWrittenForms)
{
    EXPECT_EQ(longFormOf(QStringLiteral("2024-05-31")), QStringLiteral("2024年5月31日"));
    EXPECT_EQ(longFormOf(QStringLiteral("2024/5/31")), QStringLiteral("2024年5月31日"));
    EXPECT_EQ(longFormOf(QStringLiteral("2024.5.31")), QStringLiteral("2024年5月31日"));
    EXPECT_EQ(longFormOf(QStringLiteral("2024年5月31日")), QStringLiteral("2024年5月31日"));
    EXPECT_EQ(longFormOf(QStringLiteral(" 2024年 5月 1日 ")), QStringLiteral("2024年5月1日"));
    EXPECT_EQ(longFormOf(QStringLiteral("2024-05-31 00:00:00")), QStringLiteral("2024年5月31日"));
    EXPECT_EQ(longFormOf(QStringLiteral("2024/12/1 9:30")), QStringLiteral("2024年12月1日"));
}

TEST(BatchDates, RefusesDaysThatDoNotExistAndMixedSeparators)
{
    EXPECT_EQ(longFormOf(QStringLiteral("2024-13-01")), QStringLiteral("<none>"));
    EXPECT_EQ(longFormOf(QStringLiteral("2023-02-29")), QStringLiteral("<none>"));
    EXPECT_EQ(longFormOf(QStringLiteral("2024/02-01")), QStringLiteral("<none>"));
    EXPECT_EQ(longFormOf(QStringLiteral("31.5.2024")), QStringLiteral("<none>"));
    EXPECT_EQ(longFormOf(QStringLiteral("下个月")), QStringLiteral("<none>"));
    EXPECT_EQ(longFormOf(QString()), QStringLiteral("<none>"));
    EXPECT_EQ(longFormOf(QStringLiteral("2024-02-29")), QStringLiteral("2024年2月29日"));
}

TEST(BatchDates, SerialsOfThe1900SystemSkipItsInventedLeapDay)
{
    const auto serial = [](double value) {
        const std::optional<QDate> date = BatchDates::fromSerial(value, false);
        return date ? date->toString(Qt::ISODate) : QStringLiteral("<none>");
    };
    EXPECT_EQ(serial(1), QStringLiteral("1900-01-01"));
    EXPECT_EQ(serial(59), QStringLiteral("1900-02-28"));
    EXPECT_EQ(serial(60), QStringLiteral("<none>")); // 1900-02-29 never was
    EXPECT_EQ(serial(61), QStringLiteral("1900-03-01"));
    EXPECT_EQ(serial(45443), QStringLiteral("2024-05-31"));
    EXPECT_EQ(serial(45443.75), QStringLiteral("2024-05-31")); // a time of day is dropped
    EXPECT_EQ(serial(0), QStringLiteral("<none>"));
    EXPECT_EQ(serial(-3), QStringLiteral("<none>"));
}

TEST(BatchDates, SerialsOfThe1904SystemCountFromItsFirstDay)
{
    EXPECT_EQ(BatchDates::fromSerial(0, true), QDate(1904, 1, 1));
    EXPECT_EQ(BatchDates::fromSerial(43981, true), QDate(2024, 5, 31));
}

TEST(BatchDates, AWholeNumberInTextIsASerial)
{
    EXPECT_EQ(longFormOf(QStringLiteral("45443")), QStringLiteral("2024年5月31日"));
}

} // namespace
