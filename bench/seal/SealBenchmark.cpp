// The cost of the certificate's signed QR code.
//
//   seal_benchmark sign N              sealing N certificates (facts, SM2 signature, QR code):
//                                      time per certificate; and N pages of one combined PDF
//                                      with and without the code: what the code adds per page
//   seal_benchmark verify FILE R       Scan::verifyFile on FILE, R times: time per check
//
// A program that prints its figures; run by hand.

#include "SealedPages.h"
#include "print/FontSubstitutions.h"
#include "scan/CodeScanner.h"
#include "scan/ScanVerify.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImageReader>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

using namespace SealedPages;

namespace {

// Wall-clock and processor time together: on a machine shared with other builds the wall clock
// counts the waits for a core, the processor time only this program's work.
class Stopwatch
{
public:
    Stopwatch() { restart(); }
    void restart()
    {
        m_wall.start();
        m_cpu = cpuNow();
    }
    double wallMs() const { return m_wall.nsecsElapsed() / 1e6; }
    double cpuMs() const { return (cpuNow() - m_cpu) * 1e3; }

private:
    static double cpuNow()
    {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) + t.tv_nsec / 1e9;
    }
    QElapsedTimer m_wall;
    double m_cpu = 0;
};

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
    Stopwatch watch;
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
    std::printf("sealing (facts + SM2 signature + QR code) over %d certificates: %.3f ms each "
                "(processor %.3f ms); largest payload %lld bytes, QR version <= %d\n",
                count, watch.wallMs() / count, watch.cpuMs() / count,
                static_cast<long long>(maxBytes), maxVersion);

    // Its parts: the signature alone and the QR code alone, on a payload of the largest size.
    const QByteArray message(int(maxBytes) - Seal::kSignatureBytes, 'x');
    watch.restart();
    for (int i = 0; i < count; ++i) {
        if (key->sign(message).size() != Seal::kSignatureBytes) {
            return 1;
        }
    }
    const double signWall = watch.wallMs() / count;
    const double signCpu = watch.cpuMs() / count;
    const QByteArray payload(int(maxBytes), 'x');
    watch.restart();
    for (int i = 0; i < count; ++i) {
        if (Seal::encodeQr(payload).isNull()) {
            return 1;
        }
    }
    std::printf("  of which SM2 signature %.3f ms (processor %.3f ms), QR code %.3f ms "
                "(processor %.3f ms)\n",
                signWall, signCpu, watch.wallMs() / count, watch.cpuMs() / count);

    // A batch's combined PDF without and with the codes: what sealing adds to a certificate.
    int version = 0;
    watch.restart();
    const double plain = writePages(*key, count, dir.filePath("plain.pdf"), false, &version);
    const double plainWall = watch.wallMs();
    const double plainCpu = watch.cpuMs();
    watch.restart();
    const double sealed = writePages(*key, count, dir.filePath("sealed.pdf"), true, &version);
    const double sealedWall = watch.wallMs();
    const double sealedCpu = watch.cpuMs();
    if (plain < 0 || sealed < 0) {
        return 1;
    }
    std::printf("combined PDF of %d pages: %.2f ms per page without codes, %.2f ms with sealed "
                "codes: %+.2f ms per certificate (processor %.2f, %.2f: %+.2f ms)\n",
                count, plainWall / count, sealedWall / count, (sealedWall - plainWall) / count,
                plainCpu / count, sealedCpu / count, (sealedCpu - plainCpu) / count);

    // The drawing alone: the same pages with codes sealed beforehand.
    QList<Seal::QrMatrix> codes;
    for (int i = 0; i < count; ++i) {
        QString error;
        codes << Seal::sealCertificate(*key, valuesFor(i), texts[i], kIssued, &error)->code;
    }
    watch.restart();
    StagedFile drawn(dir.filePath("drawn.pdf"));
    CombinedCertificatePdf pdf;
    QString error;
    if (!pdf.open(&drawn, &error)) {
        return 1;
    }
    for (int i = 0; i < count; ++i) {
        pdf.addPage(texts[i], codes[i]);
    }
    if (!pdf.finish(&error) || !drawn.place(&error)) {
        return 1;
    }
    std::printf("  of which drawing the codes %+.2f ms per page (processor %+.2f ms)\n",
                watch.wallMs() / count - plainWall / count, watch.cpuMs() / count - plainCpu / count);
    return 0;
}

int verify(const QString& file, int rounds)
{
    Seal::SealChecker checker(nullptr, nullptr);
    Stopwatch watch;
    Scan::ScanReport report;
    for (int i = 0; i < rounds; ++i) {
        report = Scan::verifyFile(file, checker, nullptr);
    }
    std::printf("verify-scan of %s: %.1f ms per check over %d (processor %.1f ms; outcome %d)\n",
                qPrintable(file), watch.wallMs() / rounds, rounds, watch.cpuMs() / rounds,
                int(report.outcome));
    if (!file.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        // Its parts: reading the image file, and finding and decoding the code in it.
        watch.restart();
        QImage image;
        for (int i = 0; i < rounds; ++i) {
            QImageReader reader(file);
            reader.setAutoTransform(true);
            image = reader.read();
        }
        const double readWall = watch.wallMs() / rounds;
        const double readCpu = watch.cpuMs() / rounds;
        watch.restart();
        for (int i = 0; i < rounds; ++i) {
            Scan::decodeImage(image);
        }
        std::printf("  of which reading the image %.1f ms (processor %.1f ms), finding the code "
                    "%.1f ms (processor %.1f ms)\n",
                    readWall, readCpu, watch.wallMs() / rounds, watch.cpuMs() / rounds);
    }
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
