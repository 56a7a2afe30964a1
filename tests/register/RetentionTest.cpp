#include "RegisterFixture.h"

using namespace Register;

class RetentionTest : public RegisterFixture
{
protected:
    void SetUp() override
    {
        RegisterFixture::SetUp();
        // Made in 2023 for people who left then, one who left exactly two years before today,
        // and one made this year for somebody who left long ago.
        clock = QDateTime(QDate(2023, 6, 1), QTime(10, 0));
        oldA = add(person("张三", "110101199001011234", "2023年5月31日")).id;
        oldB = add(person("李四", "110101199001012345", "2022年1月10日")).id;
        clock = QDateTime(QDate(2024, 12, 7), QTime(10, 0));
        add(person("王五", "110101199001013456", "2024年12月7日"));
        clock = QDateTime(QDate(2026, 11, 1), QTime(10, 0));
        add(person("赵六", "110101199001014567", "2020年1月1日"));
        clock = QDateTime(QDate(2026, 12, 7), QTime(10, 0));
    }
    qint64 oldA = 0;
    qint64 oldB = 0;
};

TEST_F(RetentionTest, CountsOnlyEntriesLeftMoreThanTwoYearsAgo)
{
    QString error;
    EXPECT_EQ(reg->retentionCutoff(), QDate(2024, 12, 7));
    EXPECT_EQ(reg->countExpired(&error), 2);
}

TEST_F(RetentionTest, DeletesThemWithTheirEventsAndKeepsTheRest)
{
    QString error;
    clock = QDateTime(QDate(2023, 6, 2), QTime(8, 0));
    ASSERT_TRUE(reg->recordEvent(oldA, EventKind::Printed, QStringLiteral("旧证明"), &error));
    // An entry whose certificate left kavri within the two years stays.
    clock = QDateTime(QDate(2025, 3, 1), QTime(8, 0));
    ASSERT_TRUE(reg->recordEvent(oldB, EventKind::Copied, QStringLiteral("旧证明"), &error));
    clock = QDateTime(QDate(2026, 12, 7), QTime(10, 0));
    ASSERT_EQ(reg->countExpired(&error), 1);
    EXPECT_EQ(reg->deleteExpired(1, &error), 1) << error.toStdString();
    EXPECT_FALSE(reg->entry(oldA, &error));
    EXPECT_TRUE(reg->entry(oldB, &error));
    EXPECT_EQ(reg->count({}, &error), 3);
}

TEST_F(RetentionTest, RefusesWhenTheConfirmedCountIsNotWhatWouldGo)
{
    QString error;
    EXPECT_FALSE(reg->deleteExpired(3, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("登记簿清理失败"))) << error.toStdString();
    EXPECT_EQ(reg->count({}, &error), 4);
}

TEST_F(RetentionTest, RefusesWhenNothingIsOldEnough)
{
    clock = QDateTime(QDate(2024, 1, 1), QTime(10, 0));
    QString error;
    EXPECT_EQ(reg->countExpired(&error), 0);
    EXPECT_FALSE(reg->deleteExpired(0, &error));
    EXPECT_EQ(error, QStringLiteral("没有两年前的记录可以删除。"));
    EXPECT_EQ(reg->count({}, &error), 4);
}
