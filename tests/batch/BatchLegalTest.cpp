// The legal columns of a batch sheet (合同起始日期, 合同终止日期, 无固定期限) reach the composer
// with the years of service and the date of issue, and the ID-card number is checked per row.
#include "BatchFixtures.h"
#include "batch/BatchRecords.h"
#include "compose/CertificateComposer.h"

#include <gtest/gtest.h>

namespace {

const QStringList kHeader = {"姓名",     "性别",     "身份证号", "入职日期",     "离职日期",
                             "职位",     "合同起始日期", "合同终止日期", "无固定期限"};

const QString kLegalTemplate =
    QStringLiteral("【姓名】任【职位】，合同【合同期限】，于【离职日期】离职，工作年限【工作年限】。"
                   "【出具日期】");

// A sheet with the legal columns.
SheetTable tableOf(const QList<QStringList>& rows, const QStringList& header = kHeader)
{
    return SheetOf(header, rows);
}

BatchRecord onlyRecord(const SheetTable& table, const QString& templateText)
{
    QString error;
    const std::optional<BatchSheet> sheet =
        prepareBatchSheet(table, templateText, BatchFallback{}, &error);
    EXPECT_TRUE(sheet) << error.toStdString();
    EXPECT_EQ(sheet ? sheet->records.size() : 0, 1);
    return sheet && !sheet->records.isEmpty() ? sheet->records.first() : BatchRecord{};
}

TEST(BatchLegalColumns, FeedTheTermTheYearsAndTheIssueDate)
{
    const BatchRecord record =
        onlyRecord(tableOf({{"张三", "男", "110101199003071233", "2019/1/31", "2019-02-27", "工程师",
                             "2021.3.1", "2024年2月29日", "否"}}),
                   kLegalTemplate);
    ASSERT_TRUE(record.accepted()) << record.problems.join(u'|').toStdString();
    EXPECT_TRUE(record.warnings.isEmpty()) << record.warnings.join(u'|').toStdString();
    const CertificateValues values = record.certificateValues(QDate(2026, 12, 7));
    EXPECT_EQ(values.contractTerm, QStringLiteral("2021年3月1日至2024年2月29日"));
    EXPECT_EQ(values.serviceYears, QStringLiteral("1个月"));
    EXPECT_EQ(values.issueDate, QStringLiteral("2026年12月7日"));
    EXPECT_EQ(Compose::ComposeCertificate(kLegalTemplate, values, 0),
              QStringLiteral("离职证明\r\n\r\n\r\n张三任工程师，合同2021年3月1日至2024年2月29日，于"
                             "2019年2月27日离职，工作年限1个月。2026年12月7日"));
}

TEST(BatchLegalColumns, AnOpenEndedContractNeedsNoEndDate)
{
    for (const QString& yes : {QStringLiteral("是"), QStringLiteral("√"), QStringLiteral("y")}) {
        const BatchRecord record =
            onlyRecord(tableOf({{"李四", "女", "", "2015-07-20", "2024-07-19", "会计",
                                 "2015-07-20", "", yes}}),
                       kLegalTemplate);
        ASSERT_TRUE(record.accepted()) << record.problems.join(u'|').toStdString();
        const CertificateValues values = record.certificateValues(QDate(2024, 7, 19));
        EXPECT_EQ(values.contractTerm, QStringLiteral("自2015年7月20日起无固定期限"));
        EXPECT_EQ(values.serviceYears, QStringLiteral("9年"));
    }
}

TEST(BatchLegalColumns, WhatTheTemplateNeedsMustBeThere)
{
    struct Case
    {
        QStringList row;
        QStringList problems;
    } cases[] = {
        {{"甲", "男", "", "2019-01-01", "2020-01-01", "工程师", "", "2024-01-01", ""},
         {"缺少合同起始日期"}},
        {{"乙", "男", "", "2019-01-01", "2020-01-01", "工程师", "2019-01-01", "", "否"},
         {"缺少合同终止日期（无固定期限的合同在“无固定期限”列填“是”）"}},
        {{"丙", "男", "", "2019-01-01", "2020-01-01", "工程师", "2022-01-01", "2021-12-31", ""},
         {"合同终止日期早于起始日期"}},
        // A start that is no date is reported once, as a bad date.
        {{"丁", "男", "", "2019-01-01", "2020-01-01", "工程师", "明年", "2021-12-31", ""},
         {"合同起始日期“明年”不是有效的日期（可写作 2024-05-31、2024/5/31、2024.5.31 或 "
          "2024年5月31日）"}},
        {{"戊", "男", "", "2019-01-01", "2020-01-01", "工程师", "2019-01-01", "2020-01-01", "也许"},
         {"无固定期限“也许”应为“是”或“否”"}},
    };
    for (const Case& c : cases) {
        const BatchRecord record = onlyRecord(tableOf({c.row}), kLegalTemplate);
        EXPECT_EQ(record.problems, c.problems) << c.row.first().toStdString();
    }
}

TEST(BatchLegalColumns, TheYearsOfServiceNeedBothDates)
{
    const QStringList header = {"姓名", "离职日期"};
    const BatchRecord record =
        onlyRecord(tableOf({{"张三", "2024-05-31"}}, header), QStringLiteral("【姓名】【工作年限】"));
    EXPECT_EQ(record.problems,
              QStringList{QStringLiteral("缺少入职日期（工作年限由入职日期和离职日期算出）")});
}

TEST(BatchLegalColumns, ATemplateWithoutThemAsksForNone)
{
    const QStringList header = {"姓名", "离职日期"};
    const BatchRecord record = onlyRecord(tableOf({{"张三", "2024-05-31"}}, header),
                                          QStringLiteral("【姓名】于【离职日期】离职"));
    EXPECT_TRUE(record.accepted()) << record.problems.join(u'|').toStdString();
    EXPECT_EQ(Compose::ComposeCertificate(QStringLiteral("【姓名】于【离职日期】离职"),
                                          record.certificateValues(QDate(2026, 12, 7)), 0),
              QStringLiteral("离职证明\r\n\r\n\r\n张三于2024年5月31日离职"));
}

// A doubtful ID-card number is reported for its row; the row is still written, as Generate
// still makes the certificate beside the form's hint.
TEST(BatchIdNumber, AWrongNumberIsReportedButTheRowStays)
{
    const QStringList header = {"姓名", "性别", "身份证号"};
    struct Case
    {
        const char* gender;
        const char* number;
        QStringList warnings;
    } cases[] = {
        {"男", "110101199003071233", {}},
        {"男", "110105198506154573", {"身份证号“110105198506154573”校验位不符"}},
        {"女", "11010519491231002x", {}},
        {"男", "11010519491231002X", {"身份证号为女性，与性别“男”不符"}},
        {"女", "1101051949", {"身份证号“1101051949”位数不对"}},
        {"男", "110105198002300016", {"身份证号“110105198002300016”出生日期不存在"}},
        {"", "", {}},
    };
    for (const Case& c : cases) {
        const BatchRecord record =
            onlyRecord(tableOf({{"张三", c.gender, c.number}}, header), QStringLiteral("【姓名】"));
        EXPECT_TRUE(record.accepted()) << c.number;
        EXPECT_EQ(record.warnings, c.warnings) << c.number;
    }
}

} // namespace
