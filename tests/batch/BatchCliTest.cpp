#include "BatchFixtures.h"
#include "CliRun.h"
#include "HostileSheets.h"
#include "OfficeWordingList.h"
#include "PdfText.h"
#include "RegisterLock.h"
#include "TempLibrary.h"
#include "register/CertificateRegister.h"
#include "register/RegisterFiles.h"
#include "store/CDbVisit.h"
#include "store/RecordSet.h"
#include "store/SqlConnection.h"

#include <QDir>
#include <QMap>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// kavri-cli batch run as a script runs it: exit status, stderr, the files and the report.
namespace {

// kavri-cli batch with `args`; a sheet of many rows takes a while.
CliRun runBatch(const QStringList& args)
{
    CliSetup setup;
    setup.timeoutMs = 120000;
    return runCli(QStringList{QStringLiteral("batch")} + args, setup);
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

    // The GB18030 fixture as UTF-8 with its two-line reason on one line: 张三 and 李"小"四 are
    // written, 王五 is refused.
    QString singleLineSheet() const
    {
        QFile in(FixturePath("leavers-gb18030.csv"));
        EXPECT_TRUE(in.open(QIODevice::ReadOnly));
        QStringDecoder decoder("GB18030");
        QString text = decoder.decode(in.readAll());
        text.replace(QStringLiteral("合同到期\r\n不再续签"), QStringLiteral("合同到期，不再续签"));
        const QString path = dir.filePath(QStringLiteral("leavers.csv"));
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text.toUtf8());
        return path;
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
    EXPECT_EQ(run.status, 1) << run.errText().toStdString();
    const QStringList lines = run.errText().split(u'\n');
    EXPECT_TRUE(lines.contains(QStringLiteral("kavri-cli: 未使用的列：工号")))
        << run.errText().toStdString();
    EXPECT_TRUE(lines.contains(
        QStringLiteral("kavri-cli: 第 5 行（王五）已跳过：身份证号“1.10101E+17”存成了数字，"
                       "末几位已丢失：请把表格中身份证号一列设置为文本格式，重新填写后再导入；"
                       "离职日期“2024-02-30”不是有效的日期（可写作 2024-05-31、2024/5/31、"
                       "2024.5.31 或 2024年5月31日）")))
        << run.errText().toStdString();
    // A reason running over two lines holds a line break, which no value may.
    EXPECT_TRUE(lines.contains(QStringLiteral(
        "kavri-cli: 第 4 行（李\"小\"四）已跳过：离职原因中有不可见的回车符（U+000D），请删去后再试")))
        << run.errText().toStdString();
    EXPECT_TRUE(lines.contains(
        QStringLiteral("kavri-cli: 已写入 1 份离职证明；跳过 2 行，写入失败 0 行，未写入 0 行")));
    EXPECT_EQ(QDir(out).entryList(QDir::Files), QStringList{"张三-2024年5月31日.pdf"});

    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF")); // so that spreadsheet programs read UTF-8
    const QString text = QString::fromUtf8(bytes.mid(3));
    EXPECT_TRUE(text.startsWith(QStringLiteral("行号,姓名,结果,原因,文件\r\n2,张三,已写入,,")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n4,\"李\"\"小\"\"四\",已跳过,离职原因中有")));
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
    EXPECT_EQ(run.status, 0) << run.errText().toStdString();
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

    const QString missing = dir.filePath(QStringLiteral("missing.csv"));
    const struct
    {
        QStringList args;
        QString message;
    } refused[] = {
        {{"--data", noName},
         QStringLiteral("无法使用表格“%1”：表头（第一行）中没有“姓名”列。表头应写作：姓名、性别、"
                        "身份证号、公司名称、部门、职位、入职日期、离职日期、离职原因")
             .arg(noName)},
        {{"--data", missing}, QStringLiteral("找不到表格文件“%1”").arg(missing)},
        {{"--data", FixturePath("leavers.xlsx"), "--sheet", "第三批"},
         QStringLiteral(
             "无法读取表格“%1”：工作簿中没有名为“第三批”的工作表（有：离职名单、第二批）")
             .arg(FixturePath("leavers.xlsx"))},
        {{"--data", FixturePath("leavers.xlsx"), "--combined", "x.pdf"},
         QStringLiteral("请给出“--out 文件夹”或“--combined 文件.pdf”，只给其中一个")},
        {{"--data", FixturePath("leavers-gb18030.csv"), "--encoding", "big5"},
         QStringLiteral("没有“big5”这种编码（可用 gb18030 或 utf-8）")},
        {{"--data", FixturePath("leavers-gb18030.csv"), "--encoding", "utf-8"},
         QStringLiteral("无法读取表格“%1”：文件不是有效的 UTF-8 文本")
             .arg(FixturePath("leavers-gb18030.csv"))},
        {{"--template", templatePath}, QStringLiteral("缺少选项“--data”")},
        {{"--data", missing, "--joined", "去年"},
         QStringLiteral("--joined“去年”不是有效的日期（可写作 2024-05-31、2024/5/31、2024.5.31 或 "
                        "2024年5月31日）")},
    };
    for (const auto& c : refused) {
        QStringList args = c.args;
        if (!args.contains(QStringLiteral("--template"))) {
            args << QStringLiteral("--template") << templatePath;
        }
        const CliRun run = runBatch(withRegister(args << QStringLiteral("--out") << out));
        EXPECT_EQ(run.status, 2) << args.join(u' ').toStdString();
        EXPECT_EQ(run.errText(), QStringLiteral("kavri-cli: ") + c.message + u'\n');
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
    const CliRun run = runBatch({"--data", singleLineSheet(), "--template-name", "批量模板",
                                 "--library", library.path(), "--combined", combined});
    EXPECT_EQ(run.status, 1) << run.errText().toStdString(); // 王五's row is refused
    EXPECT_TRUE(run.errText().endsWith(QStringLiteral("kavri-cli: 2 份已编号，记入登记簿 %1\n")
                                           .arg(Register::registerPathBeside(library.path()))))
        << run.errText().toStdString();

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
    EXPECT_EQ(run.errText(), QStringLiteral("kavri-cli: 资料库中没有名为“没有这个模板”的模板\n"));
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_FALSE(QFileInfo::exists(Register::registerPathBeside(library.path())));

    // A library that is not there, and both ways of naming a template at once.
    run = runBatch({"--data", FixturePath("leavers-gb18030.csv"), "--template-name", "任何模板",
                    "--library", dir.filePath(QStringLiteral("none/bdsj_conn.dll")), "--out", out});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.errText().contains(QStringLiteral("无法打开资料库")))
        << run.errText().toStdString();
    run = runBatch({"--data", FixturePath("leavers-gb18030.csv"), "--template-name", "任何模板",
                    "--template", templatePath, "--out", out});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.errText(), QStringLiteral("kavri-cli: 请给出“--template 文件”或“--template-name "
                                            "名称”，只给其中一个\n"));
    EXPECT_FALSE(QFileInfo::exists(out));
}

TEST_F(BatchCli, ARegisterThatCannotBeOpenedStopsTheBatchBeforeAnyFileWithStatus1)
{
    // A folder where the register file should be.
    const QString blocked = dir.filePath(QStringLiteral("blocked.db"));
    ASSERT_TRUE(QDir().mkpath(blocked));
    const QString out = dir.filePath(QStringLiteral("out"));
    const CliRun run = runBatch({"--data", singleLineSheet(), "--template",
                                 templatePath, "--out", out, "--register", blocked});
    EXPECT_EQ(run.status, 1) << run.errText().toStdString();
    const QStringList lines = run.errText().split(u'\n');
    EXPECT_TRUE(run.errText().contains(QStringLiteral("kavri-cli: 无法打开出具登记簿")))
        << run.errText().toStdString();
    EXPECT_FALSE(run.errText().contains(QStringLiteral("证明照常生成")));
    EXPECT_TRUE(lines.contains(QStringLiteral("kavri-cli: 登记簿无法使用，已停止：从第 2 行起，2 行未写入")))
        << run.errText().toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral(
        "kavri-cli: 已写入 0 份离职证明；跳过 1 行，写入失败 0 行，未写入 2 行")));
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 0);
}

// Every entry of the register at `path`: name -> issued.
QMap<QString, bool> issuedByName(const QString& path)
{
    QString error;
    const auto reg = Register::CertificateRegister::open(path, &error);
    EXPECT_TRUE(reg) << error.toStdString();
    QMap<QString, bool> out;
    if (!reg) {
        return out;
    }
    Register::SearchQuery all;
    all.limit = 0;
    for (const Register::EntrySummary& s :
         reg->search(all, &error).value_or(QList<Register::EntrySummary>())) {
        out.insert(s.name, s.issued);
    }
    return out;
}

TEST_F(BatchCli, ARegisterLockedByAnotherProgramStopsTheBatchWithNothingWritten)
{
    const QString registerPath = dir.filePath(Register::kRegisterFileName);
    {
        QString error;
        ASSERT_TRUE(Register::CertificateRegister::open(registerPath, &error));
    }
    RegisterLock lock(registerPath);
    ASSERT_TRUE(lock.take());
    const QString out = dir.filePath(QStringLiteral("out"));
    const CliRun run = runBatch(withRegister(
        {"--data", singleLineSheet(), "--template", templatePath, "--out", out}));
    lock.release();
    EXPECT_EQ(run.status, 1) << run.errText().toStdString();
    EXPECT_TRUE(run.errText().split(u'\n').contains(
        QStringLiteral("kavri-cli: 登记簿无法使用，已停止：从第 2 行起，2 行未写入")))
        << run.errText().toStdString();
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 0);
    for (const bool issued : issuedByName(registerPath)) {
        EXPECT_FALSE(issued);
    }
}

TEST_F(BatchCli, ACombinedFileThatCannotBePutInPlaceLeavesDraftsAndNoFile)
{
    // A folder holding a file stands at the combined file's name: the PDF is written under a
    // temporary name, but the rename onto the folder is refused.
    const QString combined = dir.filePath(QStringLiteral("all.pdf"));
    ASSERT_TRUE(QDir().mkpath(combined));
    QFile keep(combined + QStringLiteral("/keep"));
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.close();
    const CliRun run = runBatch(withRegister({"--data", singleLineSheet(),
                                              "--template", templatePath, "--combined",
                                              combined}));
    EXPECT_EQ(run.status, 1) << run.errText().toStdString();
    EXPECT_TRUE(run.errText().contains(QStringLiteral("写入失败")));
    EXPECT_TRUE(run.errText().endsWith(QStringLiteral("kavri-cli: 0 份已编号，记入登记簿 %1\n")
                                           .arg(dir.filePath(Register::kRegisterFileName))))
        << run.errText().toStdString();
    EXPECT_TRUE(QFileInfo(combined).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("all.pdf*")}, QDir::Files | QDir::Hidden),
              QStringList());
    const QMap<QString, bool> entries = issuedByName(dir.filePath(Register::kRegisterFileName));
    EXPECT_EQ(entries.size(), 2);
    for (const bool issued : entries) {
        EXPECT_FALSE(issued);
    }
}

TEST_F(BatchCli, AnUnregisteredRunIsAskedForAndSaidAndATemplateWithTheNumberIsRefused)
{
    const QString blocked = dir.filePath(QStringLiteral("blocked.db"));
    ASSERT_TRUE(QDir().mkpath(blocked));
    const QString out = dir.filePath(QStringLiteral("out"));
    CliRun run = runBatch({"--data", singleLineSheet(), "--template",
                           templatePath, "--out", out, "--register", blocked, "--no-register"});
    EXPECT_EQ(run.status, 1) << run.errText().toStdString(); // only 王五's refused row
    EXPECT_TRUE(run.errText().endsWith(
        QStringLiteral("kavri-cli: 本次不登记：离职证明没有编号，登记簿中没有记录\n")))
        << run.errText().toStdString();
    EXPECT_FALSE(run.errText().contains(QStringLiteral("无法打开出具登记簿")));
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 2);

    QFile numbered(templatePath);
    ASSERT_TRUE(numbered.open(QIODevice::WriteOnly | QIODevice::Truncate));
    numbered.write(QStringLiteral("编号【证明编号】兹证明【姓名】离职。").toUtf8());
    numbered.close();
    const QString again = dir.filePath(QStringLiteral("again"));
    run = runBatch({"--data", singleLineSheet(), "--template", templatePath,
                    "--out", again, "--no-register"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.errText(), QStringLiteral("kavri-cli: 模板中有【证明编号】，不登记就没有编号："
                                            "这样的离职证明不能生成\n"));
    EXPECT_FALSE(QFileInfo::exists(again));
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
    const CliRun run =
        runBatch(withRegister({"--data", sheet, "--template", templatePath, "--out", out}));
    EXPECT_EQ(run.status, 0) << run.errText().toStdString();
    const QStringList lines = run.errText().split(u'\n');
    EXPECT_TRUE(lines.contains(QStringLiteral(
        "kavri-cli: 第 2 行（张三）：身份证号“110105198506154573”校验位不符（仍会生成）")))
        << run.errText().toStdString();
    EXPECT_TRUE(lines.contains(
        QStringLiteral("kavri-cli: 第 3 行（李四）：身份证号为女性，与性别“男”不符（仍会生成）")));
    EXPECT_FALSE(run.errText().contains(QStringLiteral("第 4 行")));
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 3);
}

} // namespace

namespace {

// Lines of stderr that a run said about rows ("第 N 行（…）已跳过：…").
QStringList skippedLines(const CliRun& run)
{
    QStringList lines;
    for (const QString& line : run.errText().split(u'\n')) {
        if (line.contains(QStringLiteral("已跳过："))) {
            lines << line;
        }
    }
    return lines;
}

bool writeUtf8(const QString& path, const QString& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0;
}

} // namespace

TEST_F(BatchCli, ASheetPastItsLimitsIsRefusedBeforeAnyCertificate)
{
    const QString sheet = dir.filePath(QStringLiteral("rows.csv"));
    ASSERT_TRUE(HostileSheets::manyRowsCsv(sheet, 100001));
    const QString out = dir.filePath(QStringLiteral("out"));
    const CliRun run = runBatch(
        withRegister({"--data", sheet, "--template", templatePath, "--out", out}));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.errText(),
              QStringLiteral("kavri-cli: 无法读取表格“%1”：表格超过 100000 行（第 100002 行是第 "
                             "100001 行数据）：一次最多处理 100000 行，请分成几个表格\n")
                  .arg(sheet));
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(Register::kRegisterFileName)));
}

TEST_F(BatchCli, RowsOfOneProblemAreSaidFiftyTimesThenCounted)
{
    QString text = QStringLiteral("姓名,性别\r\n");
    for (int i = 1; i <= 60; ++i) {
        text += QStringLiteral("员工%1,X\r\n").arg(i);
    }
    const QString sheet = dir.filePath(QStringLiteral("bad.csv"));
    ASSERT_TRUE(writeUtf8(sheet, text));
    const QString report = dir.filePath(QStringLiteral("report.csv"));
    const CliRun run = runBatch(withRegister({"--data", sheet, "--template", templatePath, "--out",
                                              dir.filePath(QStringLiteral("out")), "--report",
                                              report}));
    EXPECT_EQ(run.status, 1);
    const QStringList skipped = skippedLines(run);
    ASSERT_EQ(skipped.size(), 50);
    EXPECT_TRUE(skipped.last().startsWith(QStringLiteral("kavri-cli: 第 51 行（员工50）已跳过：")));
    EXPECT_TRUE(run.errText().contains(QStringLiteral("\nkavri-cli: 另有 10 行有同样的问题\n")))
        << run.errText().toStdString();
    // The report has every row.
    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()).count(QStringLiteral("已跳过")), 60);
}

TEST_F(BatchCli, FormulaLikeNamesReachTheReportAsText)
{
    const QString sheet = dir.filePath(QStringLiteral("formula.csv"));
    ASSERT_TRUE(writeUtf8(sheet, QStringLiteral("姓名,性别\r\n=HYPERLINK(\"x\"),X\r\n-2+3,X\r\n"
                                                "@SUM(A1),X\r\n+cmd,X\r\n")));
    const QString report = dir.filePath(QStringLiteral("report.csv"));
    runBatch(withRegister({"--data", sheet, "--template", templatePath, "--out",
                           dir.filePath(QStringLiteral("out")), "--report", report}));
    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 5);
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("2,\"'=HYPERLINK(\"\"x\"\")\",已跳过,")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("3,'-2+3,已跳过,"))) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("4,'@SUM(A1),已跳过,")));
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("5,'+cmd,已跳过,")));
}

TEST_F(BatchCli, ControlCharactersInCellsRefuseTheRowAndNeverReachTheTerminal)
{
    const QString sheet = dir.filePath(QStringLiteral("controls.csv"));
    ASSERT_TRUE(writeUtf8(sheet, QStringLiteral("姓名,部门\r\n张\u202E三fdp.exe,研发部\r\n"
                                                "李四,\x1b[31m研发部\a\r\n")));
    const CliRun run = runBatch(withRegister(
        {"--data", sheet, "--template", templatePath, "--out", dir.filePath(QStringLiteral("out"))}));
    EXPECT_EQ(run.status, 1);
    const QString err = run.errText();
    EXPECT_TRUE(err.contains(QStringLiteral(
        "第 2 行（）已跳过：姓名中有不可见的文字方向控制符（U+202E），请删去后再试")))
        << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral(
        "第 3 行（李四）已跳过：部门中有不可见的转义符（U+001B），请删去后再试")))
        << err.toStdString();
    for (QChar c : err) {
        EXPECT_FALSE(c.unicode() < 0x20 && c != u'\n') << "raw control " << int(c.unicode());
        EXPECT_NE(c.unicode(), 0x202E);
    }
}

namespace {

// A sheet of leavers whose reasons a new employer may read as fault (李四, and 王五 by the
// office's own phrase), one that states an absence (赵六) and a plain one (张三).
const char kWordingSheet[] = "姓名,离职日期,离职原因\n"
                             "张三,2024-05-31,个人原因\n"
                             "李四,2024-06-30,严重违纪被辞退\n"
                             "王五,2024-07-01,试用期不合格\n"
                             "赵六,2024-07-15,合同到期，双方无劳动争议\n";

struct WordingRun
{
    const char* name;
    QStringList output; // --out or --combined
};

} // namespace

// No question in a batch: every certificate is written, and the hits of each are said in the
// summary and kept with its leaving in the register, where `register show` prints them.
TEST_F(BatchCli, WordingHitsAreSaidInTheSummaryAndRecordedWithEachLeaving)
{
    OfficeWordingList office;
    office.write(QStringLiteral("违纪\n辞退\n试用期不合格\n劳动争议\n"));
    CliSetup setup;
    setup.environment.insert(QStringLiteral("XDG_CONFIG_HOME"), office.configHome());
    const QString sheet = dir.filePath(QStringLiteral("wording.csv"));
    ASSERT_TRUE(writeUtf8(sheet, QString::fromUtf8(kWordingSheet)));
    QFile simple(templatePath);
    ASSERT_TRUE(simple.open(QIODevice::WriteOnly | QIODevice::Truncate));
    simple.write("兹证明【姓名】于【离职日期】因【离职原因】离职。");
    simple.close();

    const WordingRun runs[] = {
        {"per-row", {"--out", dir.filePath(QStringLiteral("out"))}},
        {"combined", {"--combined", dir.filePath(QStringLiteral("all.pdf"))}},
    };
    for (const WordingRun& r : runs) {
        SCOPED_TRACE(r.name);
        const QString registerPath = dir.filePath(QStringLiteral("%1.db").arg(r.name));
        const QString reportPath = dir.filePath(QStringLiteral("%1.csv").arg(r.name));
        const CliRun run = runCli(QStringList{"batch", "--data", sheet, "--template", templatePath,
                                              "--register", registerPath, "--report", reportPath} +
                                      r.output,
                                  setup);
        EXPECT_EQ(run.status, 0) << run.errText().toStdString();
        const QStringList lines = run.errText().split(u'\n');
        const qsizetype at = lines.indexOf(
            QStringLiteral("kavri-cli: 2 份离职证明有措辞提示（新单位可能读作过错或争议，已照写，"
                           "记入登记簿）："));
        ASSERT_GE(at, 0) << run.errText().toStdString();
        ASSERT_GT(lines.size(), at + 3);
        EXPECT_EQ(lines[at + 1],
                  QStringLiteral("kavri-cli: 第 3 行（李四）：“违纪”：……4年6月30日因严重违纪被辞退"
                                 "离职。；“辞退”：……月30日因严重违纪被辞退离职。"));
        EXPECT_EQ(lines[at + 2], QStringLiteral("kavri-cli: 第 4 行（王五）：“试用期不合格”：……"
                                                "2024年7月1日因试用期不合格离职。"));
        EXPECT_TRUE(lines[at + 3].startsWith(QStringLiteral("kavri-cli: 4 份已编号")))
            << lines[at + 3].toStdString();

        // The report file has every certificate's phrases as its reason.
        QFile reportFile(reportPath);
        ASSERT_TRUE(reportFile.open(QIODevice::ReadOnly));
        const QStringList report =
            QString::fromUtf8(reportFile.readAll()).split(QStringLiteral("\r\n"));
        ASSERT_EQ(report.size(), 6) << report.join(u'|').toStdString(); // header, 4 rows, ""
        EXPECT_TRUE(report[1].startsWith(QStringLiteral("2,张三,已写入,,")))
            << report[1].toStdString();
        EXPECT_TRUE(report[2].startsWith(
            QStringLiteral("3,李四,已写入,措辞提示：“违纪”：……4年6月30日因严重违纪被辞退离职。；"
                           "“辞退”：……月30日因严重违纪被辞退离职。,")))
            << report[2].toStdString();
        EXPECT_TRUE(report[4].startsWith(QStringLiteral("5,赵六,已写入,,")))
            << report[4].toStdString();

        const QString year = QString::number(QDate::currentDate().year());
        const CliRun shown =
            runCli({"register", "show", "--number", QStringLiteral("LZ%1-000002").arg(year),
                    "--register", registerPath},
                   setup);
        ASSERT_EQ(shown.status, 0) << shown.errText().toStdString();
        const QStringList events =
            shown.outText().split(QStringLiteral("\r\n")).filter(QStringLiteral("事件："));
        ASSERT_EQ(events.size(), 1) << shown.outText().toStdString();
        EXPECT_TRUE(events[0].endsWith(
            QStringLiteral(" 措辞提示：“违纪”：……4年6月30日因严重违纪被辞退离职。；"
                           "“辞退”：……月30日因严重违纪被辞退离职。")))
            << events[0].toStdString();
        // The plain certificate and the one stating an absence carry no note.
        for (const char* plain : {"000001", "000004"}) {
            const CliRun other =
                runCli({"register", "show", "--number",
                        QStringLiteral("LZ%1-%2").arg(year, QString::fromLatin1(plain)),
                        "--register", registerPath},
                       setup);
            EXPECT_FALSE(other.outText().contains(QStringLiteral("措辞提示"))) << plain;
        }
    }
}

// Many certificates with hits: the first ten are named, the rest counted; an unregistered run
// says that nothing went into a register.
TEST_F(BatchCli, ManyWordingHitsAreNamedTenTimesThenCounted)
{
    OfficeWordingList kavrisOwnList;
    CliSetup setup;
    setup.environment.insert(QStringLiteral("XDG_CONFIG_HOME"), kavrisOwnList.configHome());
    QString csv = QStringLiteral("姓名,离职日期,离职原因\n");
    for (int i = 1; i <= 13; ++i) {
        csv += QStringLiteral("员工%1,2024-05-31,公司予以辞退\n").arg(i);
    }
    const QString sheet = dir.filePath(QStringLiteral("many.csv"));
    ASSERT_TRUE(writeUtf8(sheet, csv));
    QFile simple(templatePath);
    ASSERT_TRUE(simple.open(QIODevice::WriteOnly | QIODevice::Truncate));
    simple.write("【姓名】因【离职原因】离职。");
    simple.close();

    const CliRun run = runCli({"batch", "--data", sheet, "--template", templatePath, "--out",
                               dir.filePath(QStringLiteral("out")), "--no-register"},
                              setup);
    EXPECT_EQ(run.status, 0) << run.errText().toStdString();
    const QStringList lines = run.errText().split(u'\n');
    const qsizetype at = lines.indexOf(
        QStringLiteral("kavri-cli: 13 份离职证明有措辞提示（新单位可能读作过错或争议，已照写）："));
    ASSERT_GE(at, 0) << run.errText().toStdString();
    ASSERT_GT(lines.size(), at + 11);
    EXPECT_EQ(lines[at + 1],
              QStringLiteral("kavri-cli: 第 2 行（员工1）：“辞退”：……员工1因公司予以辞退离职。"));
    EXPECT_EQ(
        lines[at + 10],
        QStringLiteral("kavri-cli: 第 11 行（员工10）：“辞退”：……员工10因公司予以辞退离职。"));
    EXPECT_EQ(lines[at + 11], QStringLiteral("kavri-cli: 另有 3 份有措辞提示"));
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("out"))).entryList(QDir::Files).size(), 13);
}
