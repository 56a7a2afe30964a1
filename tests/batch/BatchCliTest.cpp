#include "BatchFixtures.h"
#include "PdfText.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// kavri-cli batch run as a script runs it: exit status, stderr, the files and the report.
namespace {

struct CliRun
{
    int status = -1;
    QString err;
};

CliRun runBatch(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(KAVRI_CLI_PATH), QStringList{QStringLiteral("batch")} + args);
    CliRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "kavri-cli did not finish normally";
        return run;
    }
    run.status = process.exitCode();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

class BatchCli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        templatePath = dir.filePath(QStringLiteral("template.txt"));
        QFile file(templatePath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(EveryFieldTemplate().toUtf8());
    }

    QTemporaryDir dir;
    QString templatePath;
};

TEST_F(BatchCli, TheGb18030SheetWritesItsGoodRowsAndReportsTheOthers)
{
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString report = dir.filePath(QStringLiteral("report.csv"));
    const CliRun run = runBatch({"--data", FixturePath("leavers-gb18030.csv"), "--template",
                                 templatePath, "--out", out, "--report", report});
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("columns not used: 工号")));
    EXPECT_TRUE(run.err.contains(QStringLiteral("row 5 (王五) skipped: 身份证号“1.10101E+17”")))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("2 written, 1 skipped")));
    EXPECT_EQ(
        QDir(out).entryList(QDir::Files),
        (QStringList{"张三-2024年5月31日.pdf", "李\"小\"四-2024年6月30日.pdf"}.replaceInStrings(
            "\"", "_")));

    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF")); // so that spreadsheet programs read UTF-8
    const QString text = QString::fromUtf8(bytes.mid(3));
    EXPECT_TRUE(text.startsWith(QStringLiteral("行号,姓名,结果,原因,文件\r\n2,张三,已写入,,")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n4,\"李\"\"小\"\"四\",已写入,,")));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n5,王五,已跳过,")));
}

TEST_F(BatchCli, TheLibreOfficeWorkbookIntoOneCombinedFile)
{
    const QString combined = dir.filePath(QStringLiteral("all.pdf"));
    const CliRun run = runBatch({"--data",       FixturePath("leavers.xlsx"),
                                 "--template",   templatePath,
                                 "--combined",   combined,
                                 "--sheet",      "第二批",
                                 "--company",    "星辰公司",
                                 "--department", "研发部",
                                 "--gender",     "男",
                                 "--position",   "工程师",
                                 "--joined",     "2020/1/2",
                                 "--reason",     "个人原因",
                                 "--id",         "110101199003071234"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(PdfPageCount(combined), 1);
    const QString text = WithoutSpaces(PdfText(combined));
    EXPECT_TRUE(text.contains(QStringLiteral("赵六"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("2024年2月29日")));
    EXPECT_TRUE(text.contains(QStringLiteral("2020年1月2日")));
}

TEST_F(BatchCli, BadInputIsRefusedWithStatus2AndNothingWritten)
{
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString noName = dir.filePath(QStringLiteral("no-name.csv"));
    QFile file(noName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("名字,部门\n甲,乙\n");
    file.close();

    const QList<QStringList> refused = {
        {"--data", noName, "--template", templatePath, "--out", out},
        {"--data", dir.filePath("missing.csv"), "--template", templatePath, "--out", out},
        {"--data", FixturePath("leavers.xlsx"), "--template", templatePath, "--out", out, "--sheet",
         "第三批"},
        {"--data", FixturePath("leavers.xlsx"), "--template", templatePath, "--out", out,
         "--combined", "x.pdf"},
        {"--data", FixturePath("leavers-gb18030.csv"), "--template", templatePath, "--out", out,
         "--encoding", "big5"},
        {"--data", FixturePath("leavers-gb18030.csv"), "--template", templatePath, "--out", out,
         "--encoding", "utf-8"},
    };
    for (const QStringList& args : refused) {
        const CliRun run = runBatch(args);
        EXPECT_EQ(run.status, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("kavri-cli: "))) << run.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(out));
}

} // namespace
