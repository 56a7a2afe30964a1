#include "BatchFixtures.h"
#include "PdfText.h"
#include "TempLibrary.h"
#include "register/CertificateRegister.h"
#include "register/RegisterFiles.h"
#include "store/CDbVisit.h"
#include "store/RecordSet.h"
#include "store/SqlConnection.h"

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

    // A register of the test's own, so that no run writes one beside the build's library.
    QStringList withRegister(QStringList args) const
    {
        return args << QStringLiteral("--register") << dir.filePath(Register::kRegisterFileName);
    }

    QTemporaryDir dir;
    QString templatePath;
};

TEST_F(BatchCli, TheGb18030SheetWritesItsGoodRowsAndReportsTheOthers)
{
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString report = dir.filePath(QStringLiteral("report.csv"));
    const CliRun run =
        runBatch(withRegister({"--data", FixturePath("leavers-gb18030.csv"), "--template",
                               templatePath, "--out", out, "--report", report}));
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
    const CliRun run = runBatch(withRegister({"--data",       FixturePath("leavers.xlsx"),
                                              "--template",   templatePath,
                                              "--combined",   combined,
                                              "--sheet",      "第二批",
                                              "--company",    "星辰公司",
                                              "--department", "研发部",
                                              "--gender",     "男",
                                              "--position",   "工程师",
                                              "--joined",     "2020/1/2",
                                              "--reason",     "个人原因",
                                              "--id",         "110101199003071234"}));
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
        const CliRun run = runBatch(withRegister(args));
        EXPECT_EQ(run.status, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("kavri-cli: "))) << run.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(out));
}

// A template of the test's own in a private copy of the library, with the certificate number.
bool addTemplate(const QString& library, const QString& name, const QString& text)
{
    QString error;
    const auto connection = SqlConnection::open(library, CDbVisit::kPassword, &error);
    return connection && connection->execute(QStringLiteral("insert into moban_item_table "
                                                            "(item3, item8) values ('%1', '%2')")
                                                 .arg(name, text),
                                             &error);
}

TEST_F(BatchCli, ATemplateByNameFromTheLibraryAndEveryCertificateInTheRegisterBesideIt)
{
    TempLibrary library;
    ASSERT_TRUE(library.isValid());
    ASSERT_TRUE(addTemplate(library.path(), QStringLiteral("批量模板"),
                            QStringLiteral("证明编号【证明编号】<br>") + EveryFieldTemplate()));
    const QString combined = dir.filePath(QStringLiteral("all.pdf"));
    const CliRun run = runBatch({"--data", FixturePath("leavers-gb18030.csv"), "--template-name",
                                 "批量模板", "--library", library.path(), "--combined", combined});
    EXPECT_EQ(run.status, 1) << run.err.toStdString(); // 王五's row is refused
    EXPECT_TRUE(run.err.contains(QStringLiteral("2 numbered in the register")))
        << run.err.toStdString();

    QString error;
    const auto reg =
        Register::CertificateRegister::open(Register::registerPathBeside(library.path()), &error);
    ASSERT_TRUE(reg) << error.toStdString();
    Register::SearchQuery all;
    all.limit = 0;
    const auto list = reg->search(all, &error);
    ASSERT_TRUE(list) << error.toStdString();
    ASSERT_EQ(list->size(), 2);
    // Newest first: 李"小"四 (row 4) after 张三 (row 2), numbers one after the other.
    const QString year = QString::number(QDate::currentDate().year());
    EXPECT_EQ(list->at(0).name, QStringLiteral("李\"小\"四"));
    EXPECT_EQ(list->at(0).number, QStringLiteral("LZ%1-000002").arg(year));
    EXPECT_EQ(list->at(1).name, QStringLiteral("张三"));
    EXPECT_EQ(list->at(1).number, QStringLiteral("LZ%1-000001").arg(year));
    for (const Register::EntrySummary& s : *list) {
        EXPECT_TRUE(s.issued);
        EXPECT_EQ(s.lastEventKey, Register::eventKindKey(Register::EventKind::PdfExported));
    }
    const auto entry = reg->entry(list->at(1).id, &error);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->templateName, QStringLiteral("批量模板"));
    const QString text = WithoutSpaces(PdfText(combined));
    EXPECT_TRUE(text.contains(QStringLiteral("证明编号LZ%1-000001").arg(year)))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("证明编号LZ%1-000002").arg(year)));
}

TEST_F(BatchCli, AnUnknownTemplateNameIsRefusedInChineseWithStatus2)
{
    TempLibrary library;
    ASSERT_TRUE(library.isValid());
    const QString out = dir.filePath(QStringLiteral("out"));
    CliRun run = runBatch({"--data", FixturePath("leavers-gb18030.csv"), "--template-name",
                           "没有这个模板", "--library", library.path(), "--out", out});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, QStringLiteral("kavri-cli: 资料库中没有名为“没有这个模板”的模板\n"));
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_FALSE(QFileInfo::exists(Register::registerPathBeside(library.path())));

    // A library that is not there, and both ways of naming a template at once.
    run = runBatch({"--data", FixturePath("leavers-gb18030.csv"), "--template-name", "任何模板",
                    "--library", dir.filePath(QStringLiteral("none/bdsj_conn.dll")), "--out", out});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("无法打开资料库"))) << run.err.toStdString();
    run = runBatch({"--data", FixturePath("leavers-gb18030.csv"), "--template-name", "任何模板",
                    "--template", templatePath, "--out", out});
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(QFileInfo::exists(out));
}

TEST_F(BatchCli, ARegisterThatCannotBeOpenedIsSaidOnceAndEveryRowIsWritten)
{
    // A folder where the register file should be.
    const QString blocked = dir.filePath(QStringLiteral("blocked.db"));
    ASSERT_TRUE(QDir().mkpath(blocked));
    const QString out = dir.filePath(QStringLiteral("out"));
    const CliRun run = runBatch({"--data", FixturePath("leavers-gb18030.csv"), "--template",
                                 templatePath, "--out", out, "--register", blocked});
    EXPECT_EQ(run.status, 1) << run.err.toStdString(); // only 王五's refused row
    EXPECT_EQ(run.err.count(QStringLiteral("登记簿")), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("无法打开出具登记簿"))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("证明照常生成，但本次不登记")));
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 2);
}

TEST_F(BatchCli, ADoubtfulIdNumberIsSaidForItsRowAndTheRowIsWritten)
{
    const QString sheet = dir.filePath(QStringLiteral("ids.csv"));
    QFile file(sheet);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("姓名,性别,身份证号,离职日期\n张三,男,110105198506154573,2024-05-31\n"
               "李四,男,11010519491231002X,2024-06-30\n王五,男,110101199003071233,2024-07-01\n");
    file.close();
    QFile simple(templatePath);
    ASSERT_TRUE(simple.open(QIODevice::WriteOnly | QIODevice::Truncate));
    simple.write("兹证明【姓名】于【离职日期】离职。");
    simple.close();

    const QString out = dir.filePath(QStringLiteral("out"));
    const CliRun run = runBatch({"--data", sheet, "--template", templatePath, "--out", out});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral(
        "row 2 (张三) written, but check: 身份证号“110105198506154573”校验位不符")))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(
        QStringLiteral("row 3 (李四) written, but check: 身份证号为女性，与性别“男”不符")));
    EXPECT_FALSE(run.err.contains(QStringLiteral("row 4")));
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 3);
}

} // namespace
