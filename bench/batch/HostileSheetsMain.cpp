// Writes the sheets an attacker would hand kavri-cli batch, at their full sizes, into a folder:
// for scripts/measure-sheet-limits.sh, which runs kavri-cli on each under /usr/bin/time.
#include "HostileSheets.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: hostile_sheets FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot make %s\n", argv[1]);
        return 1;
    }
    using namespace HostileSheets;
    const struct
    {
        const char* name;
        bool (*write)(const QString&);
    } sheets[] = {
        {"inflating-1GiB.xlsx", [](const QString& p) { return inflatingXlsx(p, qint64(1) << 30); }},
        {"xfd-1000-rows.xlsx", [](const QString& p) { return farCellXlsx(p, 1000, "XFD"); }},
        {"rows-1048575.xlsx", [](const QString& p) { return manyRowsXlsx(p, 1048574); }},
        {"empty-columns-10x1e6.csv",
         [](const QString& p) { return emptyColumnsCsv(p, 10, 1000000); }},
        {"cell-50MB.csv", [](const QString& p) { return longCellCsv(p, 50 << 20); }},
    };
    for (const auto& sheet : sheets) {
        const QString path = folder.filePath(QString::fromLatin1(sheet.name));
        if (!sheet.write(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
