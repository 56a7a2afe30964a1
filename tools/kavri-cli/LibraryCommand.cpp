#include "LibraryCommand.h"

#include "CliApplication.h"
#include "CliInput.h"
#include "CliOptions.h"
#include "store/LibraryFilePath.h"
#include "backup/KavriBackup.h"

#include <cstdio>
#include <memory>

namespace LibraryCommand {

QString synopsis()
{
    return QStringLiteral(
        "library backup FILE [--library PATH]\n"
        "    Writes a backup of the library and of the certificate register beside it\n"
        "    (with its key) into FILE, one zip archive readable by its owner only; safe\n"
        "    while kavri is running.\n"
        "  kavri-cli library restore FILE [--library PATH]\n"
        "    Replaces the library, and the register when FILE holds one, by the backup\n"
        "    after checking it; each replaced file is kept beside it as\n"
        "    <name>.<date-time>.bak. Certificate numbers given since are never reused.\n"
        "    PATH: the library file (default: the one kavri opens).");
}

int run(const QStringList& args)
{
    if (args.size() < 2 || (args[0] != u"backup" && args[0] != u"restore")) {
        return CliInput::refuse(QStringLiteral("library 后面要写 backup 文件 或 restore 文件"));
    }
    CliOptions options;
    QString error;
    if (!options.parse(args.mid(2), {QStringLiteral("library")}, &error)) {
        return CliInput::refuse(error);
    }
    // The library's default place is found from the executable's folder.
    const std::unique_ptr<QCoreApplication> app = CliApplication::core();
    const QString library = options.has(QStringLiteral("library"))
                                ? options.value(QStringLiteral("library"))
                                : DefaultLibraryFilePath();
    QString message;
    const bool ok = args[0] == u"backup" ? KavriBackup::backup(library, args[1], &message)
                                         : KavriBackup::restore(args[1], library, &message);
    std::fprintf(ok ? stdout : stderr, "%s\n", message.toUtf8().constData());
    return ok ? 0 : 1;
}

} // namespace LibraryCommand
