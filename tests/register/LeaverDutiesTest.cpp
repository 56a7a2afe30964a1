#include "register/LeaverDuties.h"

#include <gtest/gtest.h>

using namespace Register;

namespace {
QDate day(const char* iso) { return QDate::fromString(QString::fromLatin1(iso), Qt::ISODate); }
} // namespace

TEST(LeaverDuties, DaysFromTheLeavingDayToTheFirstIssue)
{
    struct Case
    {
        const char* leave;
        const char* issued;
        std::optional<int> days;
        int late;
        const char16_t* text;
    };
    const Case cases[] = {
        {"2026-03-31", "2026-04-02", 2, 2, u"逾期 2 天"},
        {"2026-03-31", "2026-03-31", 0, 0, u"当天"},
        {"2026-03-31", "2026-03-28", -3, 0, u"提前 3 天"},
        {"2026-12-31", "2027-01-01", 1, 1, u"逾期 1 天"},
        {"2028-02-28", "2028-03-01", 2, 2, u"逾期 2 天"},
        {"2027-02-28", "2027-03-01", 1, 1, u"逾期 1 天"},
        {"", "2026-04-02", std::nullopt, 0, u""},
        {"2026-03-31", "", std::nullopt, 0, u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(daysToFirstIssue(day(c.leave), day(c.issued)), c.days) << c.leave << " " << c.issued;
        EXPECT_EQ(daysLate(day(c.leave), day(c.issued)), c.late) << c.leave << " " << c.issued;
        EXPECT_EQ(issueTimingText(day(c.leave), day(c.issued)), QString::fromUtf16(c.text))
            << c.leave << " " << c.issued;
    }
}

TEST(LeaverDuties, ADraftIsDueOnceItsLeavingDayHasPassed)
{
    const QDate leave = day("2026-03-31");
    EXPECT_FALSE(isOverdueDraft(false, leave, day("2026-03-30")));
    EXPECT_FALSE(isOverdueDraft(false, leave, day("2026-03-31")));
    EXPECT_TRUE(isOverdueDraft(false, leave, day("2026-04-01")));
    // Issued, or with no leaving day to go by: nothing due.
    EXPECT_FALSE(isOverdueDraft(true, leave, day("2026-04-01")));
    EXPECT_FALSE(isOverdueDraft(false, QDate(), day("2026-04-01")));
}

TEST(LeaverDuties, TheTransferIsDueFifteenDaysAfterTheEnd)
{
    struct Case
    {
        const char* leave;
        const char* deadline;
    };
    const Case cases[] = {
        {"2026-03-31", "2026-04-15"}, // a month's end
        {"2026-01-31", "2026-02-15"},
        {"2026-02-28", "2026-03-15"}, // February of a common year
        {"2028-02-20", "2028-03-06"}, // across 29 February
        {"2028-02-29", "2028-03-15"}, // from the leap day itself
        {"2027-02-20", "2027-03-07"}, // the same days a year before: no leap day
        {"2026-12-20", "2027-01-04"}, // into the next year
    };
    for (const Case& c : cases) {
        EXPECT_EQ(transferDeadline(day(c.leave)), day(c.deadline)) << c.leave;
    }
    EXPECT_FALSE(transferDeadline(QDate()).isValid());
}

TEST(LeaverDuties, AMissingTransferIsFlaggedOnlyPastItsLastDay)
{
    const QDate leave = day("2028-02-20"); // last day 2028-03-06
    EXPECT_EQ(transferDaysOverdue(leave, std::nullopt, day("2028-03-05")), 0);
    EXPECT_EQ(transferDaysOverdue(leave, std::nullopt, day("2028-03-06")), 0);
    EXPECT_EQ(transferDaysOverdue(leave, std::nullopt, day("2028-03-07")), 1);
    EXPECT_EQ(transferDaysOverdue(leave, std::nullopt, day("2028-04-06")), 31);
    // Recorded, late or not: no flag.
    EXPECT_EQ(transferDaysOverdue(leave, day("2028-03-20"), day("2028-04-06")), 0);
    EXPECT_EQ(transferDaysOverdue(QDate(), std::nullopt, day("2028-04-06")), 0);
    EXPECT_EQ(transferDaysOverdue(day("2026-03-31"), std::nullopt, day("2026-04-16")), 1);
}
