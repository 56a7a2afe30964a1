// ofd-render FILE.ofd OUT.png [DPI] [PAGE]: draws a page of an OFD file with the test renderer,
// for looking at what a viewer would show.
#include "OfdReader.h"
#include "OfdRenderer.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fputs("usage: ofd-render FILE.ofd OUT.png [DPI] [PAGE]\n", stderr);
        return 2;
    }
    const int dpi = args.size() > 3 ? args.at(3).toInt() : 150;
    const int page = args.size() > 4 ? args.at(4).toInt() : 0;
    const OfdRead::Archive archive = OfdRead::ReadArchive(args.at(1));
    if (!archive.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(archive.error));
        return 1;
    }
    const OfdRead::Document document = OfdRead::ReadDocument(archive);
    QStringList problems = document.problems;
    const QImage image = RenderOfdPage(archive, document, page, dpi, &problems);
    for (const QString& problem : problems) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
    }
    if (!image.save(args.at(2))) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args.at(2)));
        return 1;
    }
    return problems.isEmpty() ? 0 : 1;
}
