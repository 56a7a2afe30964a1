#include "legal/ContractTerm.h"
#include "LegalTestPrint.h"
#include "legal/LongDate.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct TermCase
{
    const char* label;
    QDate start;
    QDate end;
    bool openEnded;
    const char* text;
};

void PrintTo(const TermCase& c, std::ostream* os)
{
    *os << c.label;
}

class ContractTermTable : public ::testing::TestWithParam<TermCase>
{
};

TEST_P(ContractTermTable, StatesTheTermInTheLongDateForm)
{
    const TermCase& c = GetParam();
    EXPECT_EQ(Legal::contractTermText(c.start, c.end, c.openEnded), QString::fromUtf8(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ContractTermTable,
    ::testing::ValuesIn(std::vector<TermCase>{
        {"FixedTerm", d(2021, 3, 1), d(2024, 2, 29), false, "2021年3月1日至2024年2月29日"},
        {"FixedTermTwoDigitMonthAndDay", d(2019, 10, 12), d(2022, 12, 31), false,
         "2019年10月12日至2022年12月31日"},
        {"OpenEnded", d(2021, 3, 1), d(2024, 2, 29), true, "自2021年3月1日起无固定期限"},
        {"OpenEndedIgnoresAnInvalidEnd", d(2015, 7, 20), QDate(), true,
         "自2015年7月20日起无固定期限"},
    }),
    caseLabel<TermCase>);

TEST(ContractTermHint, OnlyAFixedTermEndingBeforeItStartsGetsOne)
{
    EXPECT_EQ(Legal::contractTermHint(d(2024, 3, 1), d(2024, 2, 29), false),
              QStringLiteral("合同终止日期早于起始日期"));
    EXPECT_TRUE(Legal::contractTermHint(d(2024, 3, 1), d(2024, 2, 29), true).isEmpty());
    EXPECT_TRUE(Legal::contractTermHint(d(2024, 3, 1), d(2024, 3, 1), false).isEmpty());
}

TEST(LongDate, HasNoLeadingZerosAndNoWeekday)
{
    EXPECT_EQ(Legal::longDate(d(2026, 12, 7)), QStringLiteral("2026年12月7日"));
    EXPECT_EQ(Legal::longDate(d(2024, 1, 5)), QStringLiteral("2024年1月5日"));
    EXPECT_TRUE(Legal::longDate(QDate()).isEmpty());
}

} // namespace
