#include "CliRun.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

// Runs the built kavri-cli as a script would and looks at its exit status and raw bytes.
namespace {

class KavriCli : public ::testing::Test
{
protected:
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QTemporaryDir m_dir;
};

const QByteArray kBom("\xEF\xBB\xBF");
const QByteArray kFiller("\xE3\x80\x80"); // U+3000 in UTF-8

TEST_F(KavriCli, ComposePrintsTheCertificateBytes)
{
    const QString path = writeFile(
        QStringLiteral("t.txt"),
        QByteArray("兹证明【姓名】（【性别】）<br>因【离职原因】离职。<div style=\"float: right;\">"
                   "【公司名称】<br>【离职日期】</div>"));
    const CliRun run = runCli({"compose", "--template", path, "--width", "14", "--name", "张三",
                               "--gender", "男", "--company", "示例公司", "--reason",
                               "个人原因（家庭）", "--left", "2024年6月30日 星期日"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, QByteArray());
    // Title filler (14 - 4) / 2 = 5; the block's widest line is the 10-character date: pad 4.
    const QByteArray expected = kFiller.repeated(5) + "离职证明\r\n\r\n\r\n" +
                                "兹证明张三（男）\r\n因个人原因离职。" + kFiller.repeated(4) +
                                "示例公司\r\n" + kFiller.repeated(4) + "2024年6月30日";
    EXPECT_EQ(run.out, expected);
}

TEST_F(KavriCli, ComposeTreatsMissingValuesAsEmptyAndKeepsTypedLineEnds)
{
    const QString path =
        writeFile(QStringLiteral("t.txt"), kBom + QByteArray("甲【姓名】【职位】乙\r\n丙\n"));
    const CliRun run = runCli({"compose", "--template", path, "--width", "0"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, QByteArray("离职证明\r\n\r\n\r\n甲乙\r\n丙\n"));
}

TEST_F(KavriCli, AValueIsPrintedAsItStandsAndATabIsAllowed)
{
    const QString path = writeFile(QStringLiteral("t.txt"), QByteArray("【姓名】在【公司名称】"));
    const CliRun run = runCli({"compose", "--template", path, "--width", "0", "--name",
                               "<br>【公司名称】\t甲", "--company", "乙"});
    EXPECT_EQ(run.status, 0) << run.errText().toStdString();
    EXPECT_EQ(run.out, QByteArray("离职证明\r\n\r\n\r\n<br>【公司名称】\t甲在乙"));
}

TEST_F(KavriCli, AcceptsOptionEqualsValueForm)
{
    const QString path = writeFile(QStringLiteral("t.txt"), QByteArray("【姓名】"));
    const CliRun run = runCli({"compose", "--template=" + path, "--width=4", "--name=李四"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, QByteArray("离职证明\r\n\r\n\r\n李四"));
}

TEST_F(KavriCli, PreviewPrintsBlanksWithoutTitle)
{
    const QString path =
        writeFile(QStringLiteral("t.txt"),
                  kBom + QByteArray("【姓名】<br><div style=\"float: right;\">【部门】</div>"));
    const CliRun run = runCli({"preview", "--template", path, "--width", "6"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, QByteArray());
    EXPECT_EQ(run.out, QByteArray("＿＿＿\r\n") + kFiller.repeated(2) + "＿＿＿＿");
}

TEST_F(KavriCli, HelpGoesToStdoutWithStatusZero)
{
    CliRun run = runCli({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.startsWith("Usage: kavri-cli"));
    EXPECT_TRUE(run.out.contains("compose --template FILE --width W"));
    EXPECT_TRUE(run.out.contains("preview --template FILE --width W"));
    EXPECT_EQ(run.err, QByteArray());
    // After a command, the command's own usage.
    run = runCli({"compose", "--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.startsWith("Usage: kavri-cli compose --template FILE --width W"));
    EXPECT_FALSE(run.out.contains("preview --template FILE --width W"));
    EXPECT_EQ(run.err, QByteArray());
}

TEST_F(KavriCli, HelpAfterAnOptionIsItsValue)
{
    const QString path = writeFile(QStringLiteral("t.txt"), QByteArray("【姓名】"));
    const CliRun run = runCli({"compose", "--template", path, "--width", "0", "--name", "--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, QByteArray("离职证明\r\n\r\n\r\n--help"));
}

struct BadInputCase
{
    const char* label;
    QStringList args; // "@good", "@bad-utf8" and "@dir" stand for prepared paths
    const char* message;
};

void PrintTo(const BadInputCase& c, std::ostream* os)
{
    *os << c.label;
}

class KavriCliBadInput : public KavriCli, public ::testing::WithParamInterface<BadInputCase>
{
};

TEST_P(KavriCliBadInput, RefusesWithOneLineAndStatusTwo)
{
    const QString good = writeFile(QStringLiteral("good.txt"), QByteArray("正文"));
    const QString bad = writeFile(QStringLiteral("bad.txt"), QByteArray("正\xC3\x28文"));
    const auto prepared = [&](QString text) {
        return text.replace(QStringLiteral("@good"), good)
            .replace(QStringLiteral("@bad-utf8"), bad)
            .replace(QStringLiteral("@dir"), m_dir.path())
            .replace(QStringLiteral("@missing"), m_dir.filePath(QStringLiteral("missing.txt")));
    };
    QStringList args = GetParam().args;
    for (QString& arg : args) {
        arg = prepared(arg);
    }
    const CliRun run = runCli(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, QByteArray());
    EXPECT_EQ(run.errText(), QStringLiteral("kavri-cli: ") +
                                 prepared(QString::fromUtf8(GetParam().message)) + u'\n');
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KavriCliBadInput,
    ::testing::ValuesIn(std::vector<BadInputCase>{
        {"MissingFile",
         {"compose", "--template", "@missing", "--width", "30"},
         "无法读取模板文件“@missing”（文件不存在）"},
        {"Directory",
         {"preview", "--template", "@dir", "--width", "30"},
         "模板文件“@dir”是文件夹，不是文件"},
        {"NotUtf8",
         {"compose", "--template", "@bad-utf8", "--width", "30"},
         "模板文件“@bad-utf8”不是 UTF-8 编码的文字"},
        {"WidthNotANumber",
         {"compose", "--template", "@good", "--width", "3O"},
         "宽度“3O”不是整数"},
        {"WidthNegative", {"compose", "--template", "@good", "--width", "-1"}, "宽度“-1”不是整数"},
        {"WidthEmpty", {"preview", "--template", "@good", "--width", ""}, "宽度“”不是整数"},
        {"WidthFraction",
         {"preview", "--template", "@good", "--width", "3.5"},
         "宽度“3.5”不是整数"},
        {"WidthTooLarge",
         {"compose", "--template", "@good", "--width", "331"},
         "宽度“331”超出范围（0 到 330）"},
        {"WidthHuge",
         {"compose", "--template", "@good", "--width", "99999999999999999999"},
         "宽度“99999999999999999999”超出范围（0 到 330）"},
        {"MissingWidth", {"compose", "--template", "@good"}, "缺少选项“--width”"},
        {"MissingTemplate", {"preview", "--width", "3"}, "缺少选项“--template”"},
        {"UnknownOption",
         {"compose", "--template", "@good", "--width", "3", "--age", "30"},
         "没有“--age”这个选项"},
        {"ValueOptionOnPreview",
         {"preview", "--template", "@good", "--width", "3", "--name", "x"},
         "没有“--name”这个选项"},
        {"OptionWithoutValue",
         {"compose", "--template", "@good", "--width"},
         "选项“--width”缺少值"},
        {"RepeatedOption",
         {"compose", "--template", "@good", "--width", "3", "--width", "4"},
         "选项“--width”给了两次"},
        {"BareArgument",
         {"compose", "--template", "@good", "--width", "3", "extra"},
         "多余的参数“extra”"},
        {"BidiControlInAValue",
         {"compose", "--template", "@good", "--width", "3", "--name", "张\u202E三fdp.exe"},
         "选项“--name”中有不可见的文字方向控制符（U+202E），请删去后再试"},
        {"EscapeInAValue",
         {"pdf", "--template", "@good", "--width", "3", "--out", "@dir/x.pdf", "--department",
          "\x1b[31m研发部"},
         "选项“--department”中有不可见的转义符（U+001B），请删去后再试"},
        {"LineBreakInAValue",
         {"compose", "--template", "@good", "--width", "3", "--reason", "个人\n原因"},
         "选项“--reason”中有不可见的换行符（U+000A），请删去后再试"},
        {"UnknownCommand",
         {"pdfx", "--template", "@good"},
         "没有“pdfx”这个命令（用法见 kavri-cli --help）"},
    }),
    [](const auto& info) { return std::string(info.param.label); });

TEST(KavriCliNoArguments, PrintsUsageOnStderrWithStatusTwo)
{
    const CliRun run = runCli({});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, QByteArray());
    EXPECT_TRUE(run.err.startsWith("Usage: kavri-cli"));
}

} // namespace
