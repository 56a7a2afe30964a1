#include "CliRun.h"
#include "OfdReader.h"
#include "OfficeWordingList.h"
#include "PdfCommand.h"
#include "PdfText.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Runs the built kavri-cli pdf as a script would.
namespace {

// Each text line with its position, as pdftotext -bbox reports the words of a page.
QString PdfWordBoxes(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    process.waitForFinished(30000);
    QString boxes;
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split(u'\n')) {
        if (line.contains(QStringLiteral("<word"))) {
            boxes += line.trimmed() + u'\n';
        }
    }
    return boxes;
}

class KavriCliPdf : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_template = m_dir.filePath(QStringLiteral("template.txt"));
        QFile file(m_template);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(
            "兹证明【姓名】（性别：【性别】）自【入职日期】入职我公司，在【部门】担任【职位】一职，"
            "于【离职日期】因【离职原因】原因离职。<br>特此证明。<br><br>"
            "<div style=\"float: right;\">【公司名称】<br>【离职日期】</div>"));
    }

    QStringList values() const
    {
        return {"--name",       "张三",
                "--gender",     "男",
                "--company",    "示例科技有限公司",
                "--department", "研发部",
                "--position",   "工程师",
                "--joined",     "2019年3月1日",
                "--left",       "2024年6月30日 星期日",
                "--reason",     "个人发展（家庭）"};
    }

    QString compose(int width) const
    {
        return runCli(QStringList{"compose", "--template", m_template, "--width",
                                  QString::number(width)} +
                      values())
            .outText();
    }

    QTemporaryDir m_dir;
    QString m_template;
};

} // namespace

TEST_F(KavriCliPdf, WritesTheCertificatePage)
{
    const QString out = m_dir.filePath(QStringLiteral("张三.pdf"));
    const CliRun run =
        runCli(QStringList{"pdf", "--template", m_template, "--out", out} + values());
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    ASSERT_TRUE(QFile::exists(out));
    EXPECT_EQ(PdfPageCount(out), 1);
    const QString text = PdfText(out);
    EXPECT_TRUE(WithoutSpaces(text).startsWith(QStringLiteral("离职证明")));
    const QString certificate = compose(PdfCommand::kResultBoxWidth);
    const QString body = certificate.mid(certificate.indexOf(QStringLiteral("离职证明")) + 4);
    QString missing;
    EXPECT_TRUE(HoldsLinesInOrder(text, body, &missing)) << missing.toStdString();
    // Values are trimmed as Generate trims them.
    EXPECT_FALSE(text.contains(QStringLiteral("星期日")));
    EXPECT_FALSE(text.contains(QStringLiteral("家庭")));
}

TEST_F(KavriCliPdf, AnOfdNameWritesTheSamePageAsAnOfdDocument)
{
    const QString out = m_dir.filePath(QStringLiteral("张三.ofd"));
    const CliRun run =
        runCli(QStringList{"pdf", "--template", m_template, "--out", out} + values());
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const OfdRead::Archive archive = OfdRead::ReadArchive(out);
    ASSERT_TRUE(archive.error.isEmpty());
    const OfdRead::Document document = OfdRead::ReadDocument(archive);
    ASSERT_TRUE(document.problems.isEmpty()) << document.problems.join(u'\n').toStdString();
    ASSERT_EQ(document.pages.size(), 1);
    QString text;
    for (const OfdRead::Text& line : document.pages[0].texts) {
        text += line.text + QStringLiteral("\r\n");
    }
    EXPECT_TRUE(text.startsWith(QStringLiteral("离职证明\r\n")));
    const QString certificate = compose(PdfCommand::kResultBoxWidth);
    const QString body = certificate.mid(certificate.indexOf(QStringLiteral("离职证明")) + 4);
    QString missing;
    EXPECT_TRUE(HoldsLinesInOrder(text, body, &missing)) << missing.toStdString();
    EXPECT_TRUE(QString::fromUtf8(archive.files.value(QStringLiteral("OFD.xml")))
                    .contains(QStringLiteral("<ofd:Author>示例科技有限公司</ofd:Author>")));
}

// A command line asks nothing: the file is written, the wording check's hits are said.
TEST_F(KavriCliPdf, WordingHitsAreSaidAndTheFileIsWritten)
{
    OfficeWordingList kavrisOwnList;
    CliSetup setup;
    setup.environment.insert(QStringLiteral("XDG_CONFIG_HOME"), kavrisOwnList.configHome());
    const struct
    {
        const char* reason;
        QStringList said;
    } cases[] = {
        {"严重违纪",
         {QStringLiteral("kavri-cli: 措辞提示（新单位可能读作过错或争议，已照写）："),
          QStringLiteral("kavri-cli: “违纪”：……4年6月30日因严重违纪原因离职。 特此证……")}},
        {"个人发展", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const QString out =
            m_dir.filePath(QStringLiteral("%1.pdf").arg(QString::fromUtf8(c.reason)));
        QStringList args = QStringList{"pdf", "--template", m_template, "--out", out} + values();
        args[args.indexOf(QStringLiteral("--reason")) + 1] = QString::fromUtf8(c.reason);
        const CliRun run = runCli(args, setup);
        EXPECT_EQ(run.status, 0) << run.errText().toStdString();
        EXPECT_TRUE(QFile::exists(out));
        QStringList said = run.errText().split(u'\n', Qt::SkipEmptyParts);
        EXPECT_EQ(said, c.said) << run.errText().toStdString();
    }
}

TEST_F(KavriCliPdf, WidthDefaultsToTheResultBox)
{
    const QString byDefault = m_dir.filePath(QStringLiteral("default.pdf"));
    const QString explicitWidth = m_dir.filePath(QStringLiteral("explicit.pdf"));
    const QString narrow = m_dir.filePath(QStringLiteral("narrow.pdf"));
    ASSERT_EQ(
        runCli(QStringList{"pdf", "--template", m_template, "--out", byDefault} + values()).status,
        0);
    ASSERT_EQ(runCli(QStringList{"pdf", "--template", m_template, "--out", explicitWidth, "--width",
                                 QString::number(PdfCommand::kResultBoxWidth)} +
                     values())
                  .status,
              0);
    ASSERT_EQ(runCli(QStringList{"pdf", "--template", m_template, "--out", narrow, "--width=4"} +
                     values())
                  .status,
              0);
    // The right block sits where the width puts it: same place as the explicit default width,
    // elsewhere for a narrow box.
    const QString boxes = PdfWordBoxes(byDefault);
    ASSERT_FALSE(boxes.isEmpty());
    EXPECT_EQ(boxes, PdfWordBoxes(explicitWidth));
    EXPECT_NE(boxes, PdfWordBoxes(narrow));
}

TEST_F(KavriCliPdf, RunsWithoutADisplay)
{
    CliSetup setup;
    setup.environment.remove(QStringLiteral("DISPLAY"));
    setup.environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    setup.environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    const QString out = m_dir.filePath(QStringLiteral("headless.pdf"));
    const CliRun run =
        runCli(QStringList{"pdf", "--template", m_template, "--out", out} + values(), setup);
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(PdfPageCount(out), 1);
}

TEST_F(KavriCliPdf, MissingOutputIsRefused)
{
    const CliRun run = runCli({"pdf", "--template", m_template});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.errText(), QStringLiteral("kavri-cli: 缺少选项“--out”\n"));
    const CliRun empty = runCli({"pdf", "--template", m_template, "--out="});
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.errText(), QStringLiteral("kavri-cli: 选项“--out”缺少文件名\n"));
}

TEST_F(KavriCliPdf, UnwritableOutputGetsAClearMessageAndStatusTwo)
{
    const QString out = m_dir.filePath(QStringLiteral("no/such/folder/out.pdf"));
    const CliRun run = runCli({"pdf", "--template", m_template, "--out", out});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.errText(), QStringLiteral("kavri-cli: 无法写入“%1”（文件夹不存在）\n").arg(out));
    EXPECT_FALSE(QFile::exists(out));
}

TEST_F(KavriCliPdf, BadInputIsRefusedAsComposeRefusesIt)
{
    const QString out = m_dir.filePath(QStringLiteral("never.pdf"));
    EXPECT_EQ(runCli({"pdf", "--out", out}).status, 2);
    EXPECT_EQ(runCli({"pdf", "--template", m_dir.filePath("missing.txt"), "--out", out}).status, 2);
    EXPECT_EQ(runCli({"pdf", "--template", m_template, "--out", out, "--width", "abc"}).status, 2);
    EXPECT_EQ(runCli({"pdf", "--template", m_template, "--out", out, "--width", "331"}).status, 2);
    EXPECT_EQ(runCli({"pdf", "--template", m_template, "--out", out, "--colour", "red"}).status, 2);
    EXPECT_EQ(
        runCli({"pdf", "--template", m_template, "--out", out, "--width", "3", "--width", "4"})
            .status,
        2);
    EXPECT_FALSE(QFile::exists(out));
}
