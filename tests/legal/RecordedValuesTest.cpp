#include "legal/RecordedValues.h"

#include <gtest/gtest.h>

namespace {

using Values = QList<std::pair<QString, QString>>;

const Legal::LegalDates kDates{QDate(2019, 1, 31), QDate(2022, 1, 30), false,
                               QDate(2020, 2, 29), QDate(2021, 2, 28), QDate(2026, 12, 7)};

TEST(RecordedValues, OnlyWhatTheTemplateStatesInTheRegistersOrder)
{
    EXPECT_EQ(Legal::recordedValues(u"【姓名】【入职日期】【离职日期】", kDates), Values());
    EXPECT_EQ(Legal::recordedValues(u"【出具日期】【工作年限】【合同期限】", kDates),
              (Values{{"合同起始日期", "2019年1月31日"},
                      {"合同终止日期", "2022年1月30日"},
                      {"无固定期限", "否"},
                      {"工作年限", "1年"},
                      {"出具日期", "2026年12月7日"}}));
    EXPECT_EQ(Legal::recordedValues(u"在职【工作年限】", kDates), (Values{{"工作年限", "1年"}}));
}

TEST(RecordedValues, AnOpenEndedContractKeepsNoEndDate)
{
    Legal::LegalDates dates = kDates;
    dates.openEnded = true;
    EXPECT_EQ(
        Legal::recordedValues(u"【合同期限】", dates),
        (Values{{"合同起始日期", "2019年1月31日"}, {"合同终止日期", ""}, {"无固定期限", "是"}}));
}

TEST(RecordedValues, YearsThatCannotBeCountedAreKeptEmpty)
{
    Legal::LegalDates dates = kDates;
    dates.left = QDate(2020, 2, 28); // before joining
    EXPECT_EQ(Legal::recordedValues(u"【工作年限】", dates), (Values{{"工作年限", ""}}));
    dates.joined = QDate();
    EXPECT_EQ(Legal::recordedValues(u"【工作年限】", dates), (Values{{"工作年限", ""}}));
}

} // namespace
