// The cost of the certificate's signed QR code.
//
//   seal_benchmark sign N              sealing N certificates (facts, SM2 signature, QR code):
//                                      time per certificate; and N pages of one combined PDF
//                                      with and without the code: what the code adds per page
//   seal_benchmark verify FILE R       Scan::verifyFile on FILE, R times: time per check
//
// A program that prints its figures; run by hand.

#include "SealedPages.h"
#include "scan/ScanVerify.h"
#include "print/FontSubstitutions.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

using namespace SealedPages;

namespace {

int sign(int count)
{
    const QTemporaryDir dir;
    const std::optional<Seal::SealKey> key = keyIn(dir.path());
    if (!key) {
        return 1;
    }
    QList<QString> texts;
    for (int i = 0; i < count; ++i) {
        texts << Compose::ComposeCertificate(kTemplate, valuesFor(i), kWidth);
    }
    QElapsedTimer timer;
    timer.start();
    int maxVersion = 0;
    qsizetype maxBytes = 0;
    for (int i = 0; i < count; ++i) {
        QString error;
        const auto seal = Seal::sealCertificate(*key, valuesFor(i), texts[i], kIssued, &error);
        if (!seal) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        maxVersion = std::max(maxVersion, seal->code.version);
        maxBytes = std::max(maxBytes, seal->payload.size());
    }
    const double sealMs = timer.nsecsElapsed() / 1e6 / count;
    std::printf("sealing (facts + SM2 signature + QR code): %.3f ms per certificate over %d; "
                "largest payload %lld bytes, QR version <= %d\n",
                sealMs, count, static_cast<long long>(maxBytes), maxVersion);

    int version = 0;
    const double plain = writePages(*key, count, dir.filePath("plain.pdf"), false, &version);
    const double sealed = writePages(*key, count, dir.filePath("sealed.pdf"), true, &version);
    if (plain < 0 || sealed < 0) {
        return 1;
    }
    std::printf("combined PDF of %d pages: %.2f ms per page without codes, %.2f ms with sealed "
                "codes: %+.2f ms per certificate\n",
                count, plain * 1e3 / count, sealed * 1e3 / count, (sealed - plain) * 1e3 / count);
    return 0;
}

int verify(const QString& file, int rounds)
{
    const QTemporaryDir dir;
    Seal::SealChecker checker(nullptr, nullptr);
    QElapsedTimer timer;
    timer.start();
    Scan::ScanReport report;
    for (int i = 0; i < rounds; ++i) {
        report = Scan::verifyFile(file, checker, nullptr);
    }
    std::printf("verify-scan of %s: %.1f ms per check over %d (outcome %d)\n", qPrintable(file),
                timer.nsecsElapsed() / 1e6 / rounds, rounds, int(report.outcome));
    return report.outcome == Scan::Outcome::NoCode ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InstallFontSubstitutions();
    const QStringList args = app.arguments().mid(1);
    const QString mode = args.value(0);
    if (mode == QLatin1String("sign")) {
        return sign(args.value(1, QStringLiteral("1000")).toInt());
    }
    if (mode == QLatin1String("verify") && args.size() >= 2) {
        return verify(args[1], args.value(2, QStringLiteral("10")).toInt());
    }
    std::fprintf(stderr, "usage: seal_benchmark sign N | verify FILE R\n");
    return 2;
}
