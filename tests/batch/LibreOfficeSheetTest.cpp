#include "BatchFixtures.h"
#include "batch/BatchRecords.h"
#include "batch/XlsxReader.h"

#include <gtest/gtest.h>

namespace {

// The workbook LibreOffice Calc saved from leavers.fods (see fixtures/README.md).
TEST(LibreOfficeSheet, RowsOfTheFirstSheetWithTheirProblems)
{
    QString error;
    const std::optional<SheetTable> table =
        XlsxReader::read(FixturePath("leavers.xlsx"), QString(), &error);
    ASSERT_TRUE(table) << error.toStdString();
    const std::optional<BatchSheet> sheet =
        prepareBatchSheet(*table, EveryFieldTemplate(), BatchFallback{}, &error);
    ASSERT_TRUE(sheet) << error.toStdString();
    EXPECT_EQ(sheet->columns.unknown, QStringList{"备注"});
    ASSERT_EQ(sheet->records.size(), 3);

    const BatchRecord& zhang = sheet->records[0];
    EXPECT_TRUE(zhang.accepted()) << zhang.problems.join(u'|').toStdString();
    EXPECT_EQ(zhang.value(Compose::FieldIndex::JoinDate), QStringLiteral("2019年3月1日"));
    EXPECT_EQ(zhang.value(Compose::FieldIndex::LeaveDate), QStringLiteral("2024年5月31日"));
    EXPECT_EQ(zhang.value(Compose::FieldIndex::Reason), QStringLiteral("个人原因"));

    const BatchRecord& li = sheet->records[1];
    ASSERT_EQ(li.problems.size(), 1);
    EXPECT_TRUE(li.problems[0].contains(QStringLiteral("设置为文本格式")));

    const BatchRecord& wang = sheet->records[2];
    EXPECT_EQ(wang.line, 5);
    ASSERT_EQ(wang.problems.size(), 1);
    EXPECT_TRUE(wang.problems[0].startsWith(QStringLiteral("离职日期“2024-13-01”")));
}

TEST(LibreOfficeSheet, TheSecondSheetByName)
{
    QString error;
    const std::optional<SheetTable> table =
        XlsxReader::read(FixturePath("leavers.xlsx"), QStringLiteral("第二批"), &error);
    ASSERT_TRUE(table) << error.toStdString();
    const std::optional<BatchSheet> sheet =
        prepareBatchSheet(*table, QStringLiteral("【姓名】【离职日期】"), BatchFallback{}, &error);
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->records.size(), 1);
    EXPECT_EQ(sheet->records[0].value(Compose::FieldIndex::LeaveDate), QStringLiteral("2024年2月29日"));
}

} // namespace
