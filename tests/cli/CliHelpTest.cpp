// Every command and every operation of kavri-cli answers --help with its own usage on stdout and
// status 0, writes nothing and opens nothing; an argument that starts with "-" and is no option
// is refused in Chinese with status 2.
#include "CliRun.h"

#include <QDir>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct HelpCase
{
    const char* label;
    QStringList args;  // the command line before --help
    const char* usage; // how the usage starts
};

class CliHelp : public ::testing::TestWithParam<HelpCase>
{
protected:
    // A home of the test's own: a command that wrongly went on would write there, not in the
    // user's.
    CliSetup setup() const
    {
        CliSetup s;
        s.environment.insert(QStringLiteral("HOME"), home.path());
        s.environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath("config"));
        s.environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath("data"));
        return s;
    }
    QStringList filesLeft() const
    {
        return QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
    QTemporaryDir home;
};

TEST_P(CliHelp, PrintsTheCommandsUsageAndDoesNothingElse)
{
    for (const char* help : {"--help", "-h"}) {
        const QStringList args = GetParam().args + QStringList{QString::fromLatin1(help)};
        const CliRun run = runCli(args, setup());
        EXPECT_EQ(run.status, 0) << args.join(u' ').toStdString() << ": " << run.err.toStdString();
        EXPECT_EQ(run.err, QByteArray());
        EXPECT_TRUE(run.outText().startsWith(QStringLiteral("Usage: kavri-cli ") +
                                             QString::fromUtf8(GetParam().usage)))
            << run.out.toStdString();
        EXPECT_TRUE(filesLeft().isEmpty()) << filesLeft().join(u' ').toStdString();
    }
    // And after the command's other options too: no backup named "--help", no run.
    const CliRun late = runCli(GetParam().args + QStringList{"--help"} + QStringList{"x"}, setup());
    EXPECT_TRUE(late.status == 0 || late.status == 2) << late.status;
    EXPECT_TRUE(filesLeft().isEmpty()) << filesLeft().join(u' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    EveryCommand, CliHelp,
    ::testing::Values(
        HelpCase{"Compose", {"compose"}, "compose --template FILE --width W"},
        HelpCase{"Preview", {"preview"}, "preview --template FILE --width W"},
        HelpCase{"Pdf", {"pdf"}, "pdf --template FILE --out FILE.pdf"},
        HelpCase{"Batch", {"batch"}, "batch --data FILE"},
        HelpCase{"CheckId", {"check-id"}, "check-id NUMBER"},
        HelpCase{"Library", {"library"}, "library backup FILE"},
        HelpCase{"LibraryBackup", {"library", "backup"}, "library backup FILE"},
        HelpCase{"LibraryRestore", {"library", "restore"}, "library restore FILE"},
        HelpCase{"Register", {"register"}, "register list|show|export|archive|verify|due"},
        HelpCase{"RegisterList", {"register", "list"}, "register list [--register FILE]"},
        HelpCase{"RegisterShow", {"register", "show"}, "register show --number N"},
        HelpCase{"RegisterExport", {"register", "export"}, "register export --out FILE.csv"},
        HelpCase{"RegisterArchive", {"register", "archive"}, "register archive --out DIR"},
        HelpCase{"RegisterVerify", {"register", "verify"}, "register verify --number N"},
        HelpCase{"RegisterDue", {"register", "due"}, "register due [--today D]"},
        HelpCase{"RegisterDeliver", {"register", "deliver"}, "register deliver --number N"},
        HelpCase{"RegisterTransfer", {"register", "transfer"}, "register transfer --number N"},
        HelpCase{"RegisterAudit", {"register", "audit"}, "register audit [--since LINK]"},
        HelpCase{"Server", {"server"}, "server init [--upgrade] [--server CONNINFO]"},
        HelpCase{"ServerInit", {"server", "init"}, "server init [--upgrade] [--server CONNINFO]"},
        HelpCase{"ServerImport", {"server", "import"}, "server import [--library FILE]"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CliHelpGeneral, TheProgramsHelpListsEveryCommand)
{
    const CliRun run = runCli({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* command : {"compose", "preview", "pdf", "server init", "server import",
                                "batch", "register list", "library backup", "library restore",
                                "check-id", "COMMAND --help"}) {
        EXPECT_TRUE(run.out.contains(QByteArray("kavri-cli ") + command)) << command;
    }
}

struct DashCase
{
    const char* label;
    QStringList args;
    const char* message;
};

class CliDash : public ::testing::TestWithParam<DashCase>
{
};

TEST_P(CliDash, AnArgumentLikeAnOptionThatIsNoneIsRefused)
{
    QTemporaryDir dir;
    QStringList args = GetParam().args;
    args.replaceInStrings(QStringLiteral("@dir"), dir.path());
    const CliRun run = runCli(args);
    EXPECT_EQ(run.status, 2) << run.err.toStdString();
    QString message = QString::fromUtf8(GetParam().message);
    message.replace(QStringLiteral("@dir"), dir.path());
    EXPECT_EQ(run.errText(), QStringLiteral("kavri-cli: ") + message + u'\n');
    EXPECT_EQ(run.out, QByteArray());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryCommand, CliDash,
    ::testing::Values(
        DashCase{"LibraryBackup", {"library", "backup", "--hepl"}, "没有“--hepl”这个选项"},
        DashCase{"LibraryBackupSingleDash",
                 {"library", "backup", "@dir/b.zip", "-x"},
                 "没有“-x”这个选项"},
        DashCase{"CheckId", {"check-id", "-110101199003071234"}, "没有“-110101199003071234”这个选项"},
        DashCase{"RegisterList", {"register", "list", "--ful-ids"}, "没有“--ful-ids”这个选项"},
        DashCase{"ServerInit", {"server", "init", "--sever", "x"}, "没有“--sever”这个选项"},
        DashCase{"Batch", {"batch", "--data", "@dir/x.csv", "--noregister"},
                 "没有“--noregister”这个选项"},
        DashCase{"FlagWithValue",
                 {"register", "list", "--full-ids=yes"},
                 "选项“--full-ids”不带值"},
        DashCase{"PdfMissingValue", {"pdf", "--out"}, "选项“--out”缺少值"},
        DashCase{"RepeatedBackupOption",
                 {"library", "backup", "@dir/b.zip", "--library", "a", "--library", "b"},
                 "选项“--library”给了两次"},
        DashCase{"TwoBackupFiles",
                 {"library", "backup", "@dir/a.zip", "@dir/b.zip"},
                 "多余的参数“@dir/b.zip”"}),
    [](const auto& info) { return std::string(info.param.label); });

// kavri.conf and --server never carry a password, for any command that reaches the server.
class CliServerPassword : public ::testing::Test
{
protected:
    CliSetup withConf(const QByteArray& conf)
    {
        QDir().mkpath(home.filePath("config/kavri"));
        QFile file(home.filePath("config/kavri/kavri.conf"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(conf);
        file.close();
        CliSetup s;
        s.environment.insert(QStringLiteral("HOME"), home.path());
        s.environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath("config"));
        return s;
    }
    QTemporaryDir home;
};

TEST_F(CliServerPassword, InitAndImportRefuseAPasswordInKavriConfOrOnTheCommandLine)
{
    const CliSetup conf =
        withConf("[library]\nserver=\"host=127.0.0.1 port=1 dbname=kavri password=secret\"\n");
    const QString inConf = QStringLiteral(
        "kavri-cli: kavri.conf 中不能写密码：请把密码写在 ~/.pgpass 或 pg_service.conf 中。\n");
    const QString onLine = QStringLiteral(
        "kavri-cli: --server 中不能写密码：请把密码写在 ~/.pgpass 或 pg_service.conf 中。\n");
    struct Case
    {
        QStringList args;
        QString message;
    };
    const Case cases[] = {
        {{"server", "init"}, inConf},
        {{"server", "import", "--library", "x.dll"}, inConf},
        {{"server", "init", "--server", "host=127.0.0.1 port=1 password=secret"}, onLine},
        {{"server", "import", "--register", "r.db", "--server", "password=s dbname=k"}, onLine},
        {{"register", "list"}, QString()},
    };
    for (const Case& c : cases) {
        const CliRun run = runCli(c.args, conf);
        EXPECT_EQ(run.status, 2) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(run.errText().contains(QStringLiteral("中不能写密码")))
            << run.err.toStdString();
        if (!c.message.isEmpty()) {
            EXPECT_EQ(run.errText(), c.message) << c.args.join(u' ').toStdString();
        }
    }
}

} // namespace
