// Writes N sealed certificates as one PDF, signed with the key beside KEYDIR's register (made
// there when missing), for tests/seal/check-scans.sh:
//   seal_pages N OUT.pdf KEYDIR

#include "SealedPages.h"
#include "print/FontSubstitutions.h"

#include <QGuiApplication>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InstallFontSubstitutions();
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: seal_pages N OUT.pdf KEYDIR\n");
        return 2;
    }
    const std::optional<Seal::SealKey> key = SealedPages::keyIn(args[2]);
    if (!key) {
        return 1;
    }
    int version = 0;
    const double seconds = SealedPages::writePages(*key, args[0].toInt(), args[1], true, &version);
    if (seconds < 0) {
        return 1;
    }
    std::printf("%d sealed pages in %.1f s; QR version <= %d\n", args[0].toInt(), seconds, version);
    return 0;
}
