// kavri-cli-scan: kavri-cli's verify-scan in a program of its own (see ScanHelper.h). kavri-cli
// hands it verify-scan's arguments; run by hand it takes the same ones.

#include "CliInput.h"
#include "SealCommand.h"

#include <QStringList>

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        const std::optional<QString> arg = CliInput::decodeArgument(QByteArray(argv[i]));
        if (!arg) {
            CliInput::say(QStringLiteral("第 %1 个参数不是 UTF-8 编码的文字").arg(i + 1));
            return SealCommand::kNoCode;
        }
        args << *arg;
    }
    return SealCommand::verifyScan(args);
}
