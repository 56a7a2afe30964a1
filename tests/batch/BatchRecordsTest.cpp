#include "batch/BatchRecords.h"
#include "BatchFixtures.h"

#include <gtest/gtest.h>

namespace {

const QStringList kRecordsHeader = {"姓名", "性别",     "身份证号", "公司名称", "部门",
                             "职位", "入职日期", "离职日期", "离职原因"};

QStringList fullRow(const QString& name)
{
    return {name,        "女",         "110101199205152345",  "星辰公司", "市场部", "专员",
            "2020/7/15", "2024-06-30", "个人原因（本人申请）"};
}

TEST(BatchColumns, HeadersMatchWithSpacesUnknownAndRepeatedOnesListed)
{
    const BatchColumns columns = matchBatchColumns(
        {" 姓名 ", "工号", "\u3000离职日期", "", "姓名", "合同终止日期", "备注 "});
    EXPECT_EQ(columns.column(Compose::FieldIndex::Name), 0);
    EXPECT_EQ(columns.column(Compose::FieldIndex::LeaveDate), 2);
    EXPECT_EQ(columns.column(BatchField::ContractEnd), 5);
    EXPECT_FALSE(columns.has(Compose::FieldIndex::Company));
    EXPECT_EQ(columns.unknown, (QStringList{"工号", "备注"}));
    EXPECT_EQ(columns.duplicates, QStringList{"姓名"});
}

TEST(BatchRecords, AGoodRowBecomesTheFormsValues)
{
    QString error;
    const std::optional<BatchSheet> sheet = prepareBatchSheet(
        SheetOf(kRecordsHeader, {fullRow("李四")}), EveryFieldTemplate(), BatchFallback{}, &error);
    ASSERT_TRUE(sheet) << error.toStdString();
    ASSERT_EQ(sheet->records.size(), 1);
    const BatchRecord& record = sheet->records[0];
    EXPECT_TRUE(record.accepted()) << record.problems.join(u'|').toStdString();
    EXPECT_EQ(record.line, 2);
    const CertificateValues values = record.certificateValues();
    EXPECT_EQ(values.joinDate, QStringLiteral("2020年7月15日"));
    EXPECT_EQ(values.leaveDate, QStringLiteral("2024年6月30日"));
    EXPECT_EQ(values.reason, QStringLiteral("个人原因")); // the note in （） stays out
    EXPECT_EQ(values.idNumber, QStringLiteral("110101199205152345"));
}

TEST(BatchRecords, EveryProblemOfARowIsListedAndBlankRowsAreCounted)
{
    QStringList bad = fullRow("王五");
    bad[1] = "M";
    bad[2] = "1.10101E+17";
    bad[6] = "2024-02-30";
    bad[4] = "";
    QString error;
    const std::optional<BatchSheet> sheet =
        prepareBatchSheet(SheetOf(kRecordsHeader, {bad, {"", " ", ""}, fullRow("李四")}),
                          EveryFieldTemplate(), BatchFallback{}, &error);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->blankRows, 1);
    ASSERT_EQ(sheet->records.size(), 2);
    EXPECT_EQ(sheet->acceptedCount(), 1);
    const QStringList& problems = sheet->records[0].problems;
    ASSERT_EQ(problems.size(), 4) << problems.join(u'|').toStdString();
    EXPECT_TRUE(problems[0].contains(QStringLiteral("“M”应为“男”或“女”")));
    EXPECT_TRUE(problems[1].contains(QStringLiteral("设置为文本格式")));
    EXPECT_TRUE(problems[2].startsWith(QStringLiteral("入职日期“2024-02-30”不是有效的日期")));
    EXPECT_EQ(problems[3], QStringLiteral("缺少部门"));
    EXPECT_EQ(sheet->records[1].line, 4);
}

TEST(BatchRecords, AnIdStoredAsANumberIsRefusedEvenWhenItLooksWhole)
{
    SheetTable table = SheetOf(kRecordsHeader, {fullRow("李四")});
    table.rows[0].set(2, SheetCell::fromNumber(110101199205152345.0, "110101199205152000"));
    QString error;
    const std::optional<BatchSheet> sheet =
        prepareBatchSheet(table, EveryFieldTemplate(), BatchFallback{}, &error);
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->records[0].problems.size(), 1);
    EXPECT_TRUE(sheet->records[0].problems[0].contains(QStringLiteral("设置为文本格式")));
}

TEST(BatchRecords, OnlyTheFieldsTheTemplateUsesAreRequired)
{
    QString error;
    const std::optional<BatchSheet> sheet =
        prepareBatchSheet(SheetOf({"姓名", "离职日期"}, {{"赵六", ""}}),
                          QStringLiteral("【姓名】于【离职日期】离职。"), BatchFallback{}, &error);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->records[0].problems, QStringList{"缺少离职日期"});

    const std::optional<BatchSheet> nameOnly =
        prepareBatchSheet(SheetOf({"姓名", "离职日期"}, {{"赵六", ""}}), QStringLiteral("【姓名】"),
                          BatchFallback{}, &error);
    ASSERT_TRUE(nameOnly);
    EXPECT_TRUE(nameOnly->records[0].accepted());
}

TEST(BatchRecords, TheWindowsValueFillsOnlyTickedFieldsThatARowLeavesEmpty)
{
    BatchFallback fallback;
    fallback.set(Compose::FieldIndex::Company, QStringLiteral("窗口公司"));
    fallback.values[int(Compose::FieldIndex::Department)] = QStringLiteral("不勾选的部门");
    QStringList withCompany = fullRow("甲");
    withCompany[3] = "表里的公司";
    QStringList withoutCompany = fullRow("乙");
    withoutCompany[3] = "";
    withoutCompany[4] = "";
    QString error;
    const std::optional<BatchSheet> sheet = prepareBatchSheet(
        SheetOf(kRecordsHeader, {withCompany, withoutCompany}), EveryFieldTemplate(), fallback, &error);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->records[0].value(Compose::FieldIndex::Company), QStringLiteral("表里的公司"));
    EXPECT_EQ(sheet->records[1].value(Compose::FieldIndex::Company), QStringLiteral("窗口公司"));
    EXPECT_EQ(sheet->records[1].problems, QStringList{"缺少部门"});
}

TEST(BatchRecords, LeavingBeforeJoiningIsAProblem)
{
    QStringList row = fullRow("丙");
    row[6] = "2024-07-01";
    QString error;
    const std::optional<BatchSheet> sheet =
        prepareBatchSheet(SheetOf(kRecordsHeader, {row}), EveryFieldTemplate(), BatchFallback{}, &error);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->records[0].problems, QStringList{"离职日期早于入职日期"});
}

TEST(BatchRecords, ASheetWithoutANameColumnCannotBeUsed)
{
    QString error;
    EXPECT_FALSE(prepareBatchSheet(SheetOf({"名字", "部门"}, {{"甲", "乙"}}), EveryFieldTemplate(),
                                   BatchFallback{}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("没有“姓名”列"))) << error.toStdString();
}

TEST(BatchRecords, OpenEndedContractsTakeYesOrNo)
{
    QString error;
    const std::optional<BatchSheet> sheet = prepareBatchSheet(
        SheetOf({"姓名", "无固定期限"}, {{"甲", "是"}, {"乙", "否"}, {"丙", "也许"}}),
        QStringLiteral("【姓名】"), BatchFallback{}, &error);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->records[0].value(BatchField::OpenEnded), QStringLiteral("是"));
    EXPECT_TRUE(sheet->records[1].value(BatchField::OpenEnded).isEmpty());
    EXPECT_FALSE(sheet->records[2].accepted());
}

} // namespace
