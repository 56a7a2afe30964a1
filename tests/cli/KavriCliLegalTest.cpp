// kavri-cli with the contract term, the years of service, the date of issue and check-id, run
// as a script would run it.
#include "CliRun.h"

#include <QDate>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace {

class KavriCliLegal : public ::testing::Test
{
protected:
    QString templateFile(const QByteArray& text)
    {
        const QString path = m_dir.filePath(QStringLiteral("t.txt"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }

    QTemporaryDir m_dir;
};

const QByteArray kTitle("离职证明\r\n\r\n\r\n"); // width 0: no filler

TEST_F(KavriCliLegal, ComposeFillsTheTermTheYearsAndTheIssueDate)
{
    const QString path = templateFile("【合同期限】|【工作年限】|【出具日期】");
    const CliRun run = runCli({"compose", "--template", path, "--width", "0", "--contract-start",
                            "2021-03-01", "--contract-end", "2024年2月29日", "--joined",
                            "2020-02-29", "--left", "2021年2月28日", "--issued", "2026-12-07"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.err, QByteArray());
    EXPECT_EQ(run.out, kTitle + "2021年3月1日至2024年2月29日|1年|2026年12月7日");
}

TEST_F(KavriCliLegal, OpenEndedTakesNoValueAndNoEnd)
{
    const QString path = templateFile("【合同期限】");
    const CliRun run =
        runCli({"compose", "--template", path, "--width", "0", "--open-ended", "--contract-start",
                "2015-07-20"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, kTitle + "自2015年7月20日起无固定期限");
}

TEST_F(KavriCliLegal, TheIssueDateIsTodayUnlessGiven)
{
    const QString path = templateFile("【出具日期】");
    const CliRun run = runCli({"compose", "--template", path, "--width", "0"});
    EXPECT_EQ(run.status, 0);
    const QDate today = QDate::currentDate();
    const QString expected = QStringLiteral("%1年%2月%3日")
                                 .arg(today.year())
                                 .arg(today.month())
                                 .arg(today.day());
    EXPECT_EQ(run.out, kTitle + expected.toUtf8());
}

TEST_F(KavriCliLegal, ATemplateWithoutTheNewPlaceholdersIgnoresThem)
{
    // --joined stays free text for a template that does not ask for the years of service.
    const QString path = templateFile("【入职日期】【合同期限】");
    const CliRun run = runCli({"compose", "--template", path, "--width", "0", "--joined", "去年春天"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, kTitle + "去年春天");
}

TEST_F(KavriCliLegal, LeavingBeforeJoiningLeavesTheYearsEmptyAndSaysWhy)
{
    const QString path = templateFile("在职【工作年限】。");
    const CliRun run = runCli({"compose", "--template", path, "--width", "0", "--joined",
                            "2024-05-10", "--left", "2024-05-09"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, kTitle + "在职。");
    EXPECT_TRUE(run.err.contains("离职日期早于入职日期")) << run.err.toStdString();
}

TEST_F(KavriCliLegal, PreviewAndPdfTakeTheOptionsToo)
{
    const QString path = templateFile("【合同期限】");
    const CliRun preview = runCli({"preview", "--template", path, "--width", "0",
                                "--contract-start", "2021-03-01", "--open-ended"});
    EXPECT_EQ(preview.status, 0) << preview.err.toStdString();
    EXPECT_EQ(preview.out, QByteArray("＿＿＿＿＿＿＿＿＿＿"));

    const QString pdf = m_dir.filePath(QStringLiteral("c.pdf"));
    const CliRun run = runCli({"pdf", "--template", path, "--out", pdf, "--contract-start",
                            "2021-03-01", "--contract-end", "2024-02-29", "--issued",
                            "2026-12-07"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(QFile::exists(pdf));
}

struct BadDate
{
    const char* label;
    QStringList extra;
    const char* message;
};

void PrintTo(const BadDate& c, std::ostream* os)
{
    *os << c.label;
}

class KavriCliLegalBadInput : public KavriCliLegal, public ::testing::WithParamInterface<BadDate>
{
};

TEST_P(KavriCliLegalBadInput, RefusesWithOneLineAndStatusTwo)
{
    const QString path = templateFile("【合同期限】【工作年限】");
    const CliRun run = runCli(QStringList{"compose", "--template", path, "--width", "0"} +
                           GetParam().extra);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, QByteArray());
    EXPECT_EQ(run.err, QByteArray("kavri-cli: ") + GetParam().message + '\n');
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KavriCliLegalBadInput,
    ::testing::ValuesIn(std::vector<BadDate>{
        {"StartNotADate",
         {"--contract-start", "明年", "--open-ended"},
         "--contract-start“明年”不是有效的日期（可写作 2021-03-01 或 2021年3月1日）"},
        {"EndOnFebruary30",
         {"--contract-start", "2021-03-01", "--contract-end", "2024-02-30"},
         "--contract-end“2024-02-30”不是有效的日期（可写作 2021-03-01 或 2021年3月1日）"},
        {"IssuedLongFormImpossible",
         {"--issued", "2026年13月1日"},
         "--issued“2026年13月1日”不是有效的日期（可写作 2021-03-01 或 2021年3月1日）"},
        {"StartWithoutEnd",
         {"--contract-start", "2021-03-01"},
         "给了 --contract-start，还要给 --contract-end 或 --open-ended"},
        {"EndWithoutStart",
         {"--contract-end", "2021-03-01"},
         "给了 --contract-end 或 --open-ended，还要给 --contract-start"},
        {"EndBeforeStart",
         {"--contract-start", "2024-03-01", "--contract-end", "2024-02-29"},
         "合同终止日期早于起始日期"},
        {"OpenEndedWithAValue",
         {"--open-ended=yes", "--contract-start", "2021-03-01"},
         "选项“--open-ended”不带值"},
        {"JoinedNotADateWhenTheYearsAreAskedFor",
         {"--joined", "去年", "--left", "2024-05-09"},
         "--joined“去年”不是有效的日期（可写作 2021-03-01 或 2021年3月1日）"},
    }),
    [](const auto& info) { return std::string(info.param.label); });

struct IdVerdictCase
{
    const char* label;
    const char* number;
    int status;
    const char* line;
};

void PrintTo(const IdVerdictCase& c, std::ostream* os)
{
    *os << c.label;
}

class KavriCliCheckId : public ::testing::TestWithParam<IdVerdictCase>
{
};

TEST_P(KavriCliCheckId, PrintsTheVerdictAndSaysValidByItsStatus)
{
    const CliRun run = runCli({"check-id", QString::fromUtf8(GetParam().number)});
    EXPECT_EQ(run.status, GetParam().status);
    EXPECT_EQ(run.out, QByteArray(GetParam().line) + '\n');
    EXPECT_EQ(run.err, QByteArray());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KavriCliCheckId,
    ::testing::ValuesIn(std::vector<IdVerdictCase>{
        {"Valid", "11010519491231002X", 0, "有效：出生日期1949年12月31日，女性"},
        {"ValidLowerCaseX", "11010519491231002x", 0, "有效：出生日期1949年12月31日，女性"},
        {"OldForm", "110105850615457", 0, "有效（15位旧号码）：出生日期1985年6月15日，男性"},
        {"WrongCheckDigit", "110105198001010017", 1, "无效：校验位不符"},
        {"WrongLength", "1101051980", 1, "无效：位数不对"},
        {"NoSuchDate", "110105198002300016", 1, "无效：出生日期不存在"},
    }),
    [](const auto& info) { return std::string(info.param.label); });

TEST(KavriCliCheckIdUsage, WantsExactlyOneNumber)
{
    const CliRun run = runCli({"check-id"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, QByteArray("kavri-cli: check-id 后面要有一个号码，且只要一个\n"));
    EXPECT_EQ(runCli({"check-id", "11010519491231002X", "110105850615457"}).err, run.err);
}

} // namespace
