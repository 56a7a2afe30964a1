#include "LibraryCommand.h"

#include "CliApplication.h"
#include "CliInput.h"
#include "CliOptions.h"
#include "store/LibraryFilePath.h"
#include "backup/KavriBackup.h"

#include <cstdio>
#include <memory>

namespace LibraryCommand {

namespace {

QString backupUsage()
{
    return QStringLiteral(
        "library backup FILE [--library PATH]\n"
        "    Writes a backup of the library and of the certificate register beside it\n"
        "    (with its key) into FILE, one zip archive readable by its owner only; safe\n"
        "    while kavri is running.");
}

QString restoreUsage()
{
    return QStringLiteral(
        "library restore FILE [--library PATH]\n"
        "    Replaces the library, and the register when FILE holds one, by the backup\n"
        "    after checking it; each replaced file is kept beside it as\n"
        "    <name>.<date-time>.bak. Certificate numbers given since are never reused.");
}

const QString kPathNote =
    QStringLiteral("\n    PATH: the library file (default: the one kavri opens).");

} // namespace

QString synopsis()
{
    return backupUsage() + QStringLiteral("\n  kavri-cli ") + restoreUsage() + kPathNote;
}

int run(const QStringList& args)
{
    const QString action = args.value(0);
    if (args.size() == 1 && (action == u"--help" || action == u"-h")) {
        CliOptions::printUsage(synopsis());
        return 0;
    }
    if (action != u"backup" && action != u"restore") {
        return CliInput::refuse(QStringLiteral("library 后面要写 backup 文件 或 restore 文件"));
    }
    CliOptions options({QStringLiteral("library")}, {}, 1);
    if (const std::optional<int> end = options.parse(
            args.mid(1), (action == u"backup" ? backupUsage() : restoreUsage()) + kPathNote)) {
        return *end;
    }
    if (options.arguments().isEmpty()) {
        return CliInput::refuse(QStringLiteral("library 后面要写 backup 文件 或 restore 文件"));
    }
    const QString file = options.arguments().first();
    // The library's default place is found from the executable's folder.
    const std::unique_ptr<QCoreApplication> app = CliApplication::core();
    const QString library = options.has(QStringLiteral("library"))
                                ? options.value(QStringLiteral("library"))
                                : DefaultLibraryFilePath();
    QString message;
    const bool ok = action == u"backup" ? KavriBackup::backup(library, file, &message)
                                        : KavriBackup::restore(file, library, &message);
    std::fprintf(ok ? stdout : stderr, "%s\n", message.toUtf8().constData());
    return ok ? 0 : 1;
}

} // namespace LibraryCommand
