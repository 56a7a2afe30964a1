#include "BatchCommand.h"
#include "CheckIdCommand.h"
#include "CliInput.h"
#include "ComposeCommand.h"
#include "LibraryCommand.h"
#include "PdfCommand.h"
#include "PreviewCommand.h"
#include "ScanHelper.h"
#include "SealCommand.h"
#include "ServerCommand.h"
#include "RegisterCommand.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdio>

namespace {

struct Command
{
    const char* name;
    QString (*synopsis)();
    int (*run)(const QStringList& args);
};

// A new subcommand is one more file pair and one more row here.
const std::array<Command, 10> kCommands = {{
    {"compose", &ComposeCommand::synopsis, &ComposeCommand::run},
    {"preview", &PreviewCommand::synopsis, &PreviewCommand::run},
    {"pdf", &PdfCommand::synopsis, &PdfCommand::run},
    {"server", &ServerCommand::synopsis, &ServerCommand::run},
    {"batch", &BatchCommand::synopsis, &BatchCommand::run},
    {"register", &RegisterCommand::synopsis, &RegisterCommand::run},
    {"library", &LibraryCommand::synopsis, &LibraryCommand::run},
    {"check-id", &CheckIdCommand::synopsis, &CheckIdCommand::run},
    {"verify-scan", &SealCommand::verifyScanSynopsis, &ScanHelper::runVerifyScan},
    {"trust-key", &SealCommand::trustKeySynopsis, &SealCommand::trustKey},
}};

QString usage()
{
    QString text = QStringLiteral("Usage: kavri-cli COMMAND [OPTIONS]\n"
                                  "FILE is UTF-8 text; W is a whole number from 0 to 330.\n"
                                  "Results go to stdout as UTF-8 with CR LF line ends.\n\n");
    for (const Command& command : kCommands) {
        text += QStringLiteral("  kavri-cli ") + command.synopsis() + u'\n';
    }
    text += QStringLiteral("  kavri-cli --help\n    Prints this text.\n"
                           "  kavri-cli COMMAND --help\n    Prints the command's usage.\n");
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        const std::optional<QString> arg = CliInput::decodeArgument(QByteArray(argv[i]));
        if (!arg) {
            return CliInput::refuse(QStringLiteral("第 %1 个参数不是 UTF-8 编码的文字").arg(i));
        }
        args << *arg;
    }
    // "--help" as the command: every command's usage. After a command, the command's own.
    if (!args.isEmpty() &&
        (args.at(0) == QLatin1String("--help") || args.at(0) == QLatin1String("-h"))) {
        std::fputs(usage().toUtf8().constData(), stdout);
        return 0;
    }
    if (args.isEmpty()) {
        std::fputs(usage().toUtf8().constData(), stderr);
        return CliInput::kBadInput;
    }
    const QString name = args.takeFirst();
    for (const Command& command : kCommands) {
        if (name == QLatin1String(command.name)) {
            return command.run(args);
        }
    }
    return CliInput::refuse(
        QStringLiteral("没有“%1”这个命令（用法见 kavri-cli --help）").arg(name));
}
