#include "LibraryCommand.h"

#include "CliInput.h"
#include "CliOptions.h"
#include "app/LibraryFilePath.h"
#include "store/LibraryBackup.h"

#include <QCoreApplication>
#include <cstdio>
#include <memory>

namespace LibraryCommand {

QString synopsis()
{
    return QStringLiteral(
        "library backup FILE [--library PATH]\n"
        "    Writes a backup of the library into FILE; safe while kavri is running.\n"
        "  kavri-cli library restore FILE [--library PATH]\n"
        "    Replaces the library by the backup in FILE after checking it; the replaced\n"
        "    library is kept beside it as bdsj_conn.dll.<date-time>.bak.\n"
        "    PATH: the library file (default: the one kavri opens).");
}

int run(const QStringList& args)
{
    if (args.size() < 2 || (args[0] != u"backup" && args[0] != u"restore")) {
        return CliInput::refuse(QStringLiteral("library needs backup FILE or restore FILE"));
    }
    CliOptions options;
    QString error;
    if (!options.parse(args.mid(2), {QStringLiteral("library")}, &error)) {
        return CliInput::refuse(error);
    }
    // The library's default place is found from the executable's folder.
    static int argc = 1;
    static char name[] = "kavri-cli";
    static char* argv[] = {name, nullptr};
    const auto app = std::make_unique<QCoreApplication>(argc, argv);
    // The per-user copy of an installed kavri lies in kavri's data folder, not kavri-cli's.
    QCoreApplication::setApplicationName(QStringLiteral("kavri"));
    const QString library = options.has(QStringLiteral("library"))
                                ? options.value(QStringLiteral("library"))
                                : DefaultLibraryFilePath();
    QString message;
    const bool ok = args[0] == u"backup"
                        ? LibraryBackup::backupLibrary(library, args[1], &message)
                        : LibraryBackup::restoreLibrary(args[1], library, &message);
    std::fprintf(ok ? stdout : stderr, "%s\n", message.toUtf8().constData());
    return ok ? 0 : 1;
}

} // namespace LibraryCommand
