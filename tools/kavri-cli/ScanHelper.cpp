#include "ScanHelper.h"

#include "CliInput.h"
#include "SealCommand.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace ScanHelper {

QString helperPath()
{
    // The program's own file, links resolved: /usr/bin/kavri-cli points into the installed
    // folder, where the helper lies too.
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QFileInfo(self).absolutePath() + u'/' + QLatin1String(kProgramName);
}

int runVerifyScan(const QStringList& args)
{
    const QString path = helperPath();
    const QByteArray program = QFile::encodeName(path);
    // The arguments were UTF-8 when they came in; they go on exactly so.
    std::vector<QByteArray> bytes;
    bytes.reserve(size_t(args.size()) + 1);
    bytes.push_back(program);
    for (const QString& arg : args) {
        bytes.push_back(arg.toUtf8());
    }
    std::vector<char*> argv;
    argv.reserve(bytes.size() + 1);
    for (QByteArray& arg : bytes) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    std::fflush(stdout);
    ::execv(program.constData(), argv.data());
    CliInput::say(QStringLiteral("无法运行 %1（%2）")
                      .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(errno))));
    return SealCommand::kNoCode;
}

} // namespace ScanHelper
