#include "legal/ServiceYears.h"
#include "LegalTestPrint.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct ServiceCase
{
    const char* label;
    QDate joined;
    QDate left;
    int months;
    const char* text;
};

void PrintTo(const ServiceCase& c, std::ostream* os)
{
    *os << c.label;
}

class ServiceYearsTable : public ::testing::TestWithParam<ServiceCase>
{
};

TEST_P(ServiceYearsTable, CountsWholeMonthsUpToTheDayAfterLeaving)
{
    const ServiceCase& c = GetParam();
    const Legal::ServiceYears result = Legal::serviceYears(c.joined, c.left);
    ASSERT_TRUE(result.months.has_value());
    EXPECT_EQ(*result.months, c.months);
    EXPECT_EQ(result.text, QString::fromUtf8(c.text));
    EXPECT_TRUE(result.hint.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ServiceYearsTable,
    ::testing::ValuesIn(std::vector<ServiceCase>{
        {"SameDay", d(2024, 5, 10), d(2024, 5, 10), 0, "不足一个月"},
        {"OneDayShortOfAMonth", d(2024, 5, 10), d(2024, 6, 8), 0, "不足一个月"},
        {"ExactlyOneMonth", d(2024, 5, 10), d(2024, 6, 9), 1, "1个月"},
        {"EightMonths", d(2023, 1, 1), d(2023, 8, 31), 8, "8个月"},
        {"ThreeYearsToTheDay", d(2021, 3, 1), d(2024, 2, 29), 36, "3年"},
        {"FiveYearsThreeMonths", d(2020, 1, 15), d(2025, 4, 14), 63, "5年3个月"},
        {"FiveYearsThreeMonthsLessADay", d(2020, 1, 15), d(2025, 4, 13), 62, "5年2个月"},
        // Joined on a leap day: the year is complete on 28 February of the next year.
        {"LeapDayToNextFebruary28", d(2020, 2, 29), d(2021, 2, 28), 12, "1年"},
        // Leaving on the 27th: the day after it is the clamped anniversary.
        {"LeapDayToNextFebruary27", d(2020, 2, 29), d(2021, 2, 27), 12, "1年"},
        {"LeapDayToNextFebruary26", d(2020, 2, 29), d(2021, 2, 26), 11, "11个月"},
        {"LeapDayToNextLeapDayEve", d(2020, 2, 29), d(2024, 2, 28), 48, "4年"},
        // Joined on the 31st: February's last day completes the month.
        {"January31ToFebruary28", d(2019, 1, 31), d(2019, 2, 28), 1, "1个月"},
        {"January31ToFebruary27", d(2019, 1, 31), d(2019, 2, 27), 1, "1个月"},
        {"January31ToFebruary26", d(2019, 1, 31), d(2019, 2, 26), 0, "不足一个月"},
        {"January31ToLeapFebruary28", d(2020, 1, 31), d(2020, 2, 28), 1, "1个月"},
        {"January31ToLeapFebruary27", d(2020, 1, 31), d(2020, 2, 27), 0, "不足一个月"},
        // The clamp in February does not shorten the months after it.
        {"January31ToMarch30", d(2019, 1, 31), d(2019, 3, 30), 2, "2个月"},
        {"January31ToMarch29", d(2019, 1, 31), d(2019, 3, 29), 1, "1个月"},
        {"August31ToSeptember29", d(2022, 8, 31), d(2022, 9, 29), 1, "1个月"},
        {"AcrossTheYearEnd", d(2023, 12, 1), d(2024, 11, 30), 12, "1年"},
        {"ElevenMonthsThirtyDays", d(2023, 12, 1), d(2024, 11, 29), 11, "11个月"},
        {"LongService", d(1990, 7, 1), d(2025, 6, 30), 420, "35年"},
    }),
    caseLabel<ServiceCase>);

TEST(ServiceYears, LeavingBeforeJoiningGivesNoValueButAHint)
{
    const Legal::ServiceYears result = Legal::serviceYears(d(2024, 5, 10), d(2024, 5, 9));
    EXPECT_FALSE(result.months.has_value());
    EXPECT_TRUE(result.text.isEmpty());
    EXPECT_EQ(result.hint, QStringLiteral("离职日期早于入职日期，无法计算工作年限"));
}

TEST(ServiceYears, AnInvalidDateGivesNoValueButAHint)
{
    const Legal::ServiceYears result = Legal::serviceYears(QDate(), d(2024, 5, 9));
    EXPECT_FALSE(result.months.has_value());
    EXPECT_FALSE(result.hint.isEmpty());
}

TEST(ServiceYearsText, SaysYearsAndMonthsWithoutEmptyParts)
{
    EXPECT_EQ(Legal::serviceYearsText(0), QStringLiteral("不足一个月"));
    EXPECT_EQ(Legal::serviceYearsText(11), QStringLiteral("11个月"));
    EXPECT_EQ(Legal::serviceYearsText(12), QStringLiteral("1年"));
    EXPECT_EQ(Legal::serviceYearsText(13), QStringLiteral("1年1个月"));
    EXPECT_EQ(Legal::serviceYearsText(120), QStringLiteral("10年"));
}

} // namespace
