#include "OfdPdfLines.h"
#include "OfdReader.h"
#include "OfdRenderer.h"
#include "VariedCertificates.h"
#include "print/CertificateOfdExport.h"
#include "print/CertificatePdfExport.h"
#include "print/CertificateBody.h"
#include "print/FontSubstitutions.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {

// The share of the dark pixels of `a` that have a dark pixel of `b` within one pixel.
double inkCovered(const QImage& a, const QImage& b)
{
    const auto dark = [](const QImage& image, int x, int y) {
        return x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
               qGray(image.pixel(x, y)) < 128;
    };
    qint64 ink = 0;
    qint64 covered = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (!dark(a, x, y)) {
                continue;
            }
            ++ink;
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy) {
                for (int dx = -1; dx <= 1 && !near; ++dx) {
                    near = dark(b, x + dx, y + dy);
                }
            }
            covered += near ? 1 : 0;
        }
    }
    return ink == 0 ? 0 : double(covered) / double(ink);
}

class OfdMatchesPdf : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InstallFontSubstitutions(); }
    QTemporaryDir dir;
};

} // namespace

// Each certificate written both ways: the OFD's lines hold the PDF's text and stand where the
// PDF's stand, to well within half a millimetre.
TEST_F(OfdMatchesPdf, EveryLineHasThePdfsTextAndPlace)
{
    const QList<CertificateValues> leavers = VariedValues(20);
    double worst = 0;
    for (qsizetype i = 0; i < leavers.size(); ++i) {
        const QString body = CertificateBody(
            Compose::ComposeCertificate(kVariedTemplate, leavers[i], 36));
        const QString pdf = dir.filePath(QStringLiteral("%1.pdf").arg(i));
        const QString ofd = dir.filePath(QStringLiteral("%1.ofd").arg(i));
        ASSERT_TRUE(ExportCertificatePdf(pdf, body));
        ASSERT_TRUE(ExportCertificateOfd(ofd, body, {}));
        const QList<QList<PageLine>> pdfPages = PdfPageLines(pdf);
        const OfdRead::Archive archive = OfdRead::ReadArchive(ofd);
        const QList<QList<PageLine>> ofdPages =
            OfdPageLines(archive, OfdRead::ReadDocument(archive));
        ASSERT_EQ(pdfPages.size(), 1);
        ASSERT_EQ(ofdPages.size(), 1);
        const QList<PageLine>& p = pdfPages.first();
        const QList<PageLine>& o = ofdPages.first();
        ASSERT_EQ(o.size(), p.size()) << "certificate " << i;
        ASSERT_GE(o.size(), 7);
        for (qsizetype k = 0; k < o.size(); ++k) {
            EXPECT_EQ(o[k].text, p[k].text) << "certificate " << i << " line " << k;
            for (double d : {o[k].xMin - p[k].xMin, o[k].yMin - p[k].yMin, o[k].xMax - p[k].xMax,
                             o[k].yMax - p[k].yMax}) {
                worst = std::max(worst, std::abs(d));
            }
        }
    }
    EXPECT_LT(worst, 0.5);
    RecordProperty("worst_mm", QString::number(worst, 'f', 4).toStdString());
    std::printf("largest difference between OFD and PDF line boxes: %.4f mm\n", worst);
}

// The test renderer draws the OFD from its own embedded fonts; poppler draws the PDF. The two
// pictures of one certificate carry the same ink, a character from a fallback face included
// (pdftotext cannot read that one back from Qt's PDF, but poppler draws it).
TEST_F(OfdMatchesPdf, RenderedPagesShowTheSameInk)
{
    CertificateValues leaver = VariedValues(1).first();
    leaver.name = QStringLiteral("𠮷伟");
    const QString body = CertificateBody(
        Compose::ComposeCertificate(kVariedTemplate, leaver, 36));
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    const QString ofd = dir.filePath(QStringLiteral("page.ofd"));
    ASSERT_TRUE(ExportCertificatePdf(pdf, body));
    ASSERT_TRUE(ExportCertificateOfd(ofd, body, {}));

    constexpr int kDpi = 100;
    ASSERT_EQ(QProcess::execute(QStringLiteral("pdftoppm"),
                                {QStringLiteral("-r"), QString::number(kDpi),
                                 QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf,
                                 dir.filePath(QStringLiteral("pdf"))}),
              0);
    const QImage fromPdf(dir.filePath(QStringLiteral("pdf.png")));
    ASSERT_FALSE(fromPdf.isNull());
    const OfdRead::Archive archive = OfdRead::ReadArchive(ofd);
    QStringList problems;
    const QImage fromOfd =
        RenderOfdPage(archive, OfdRead::ReadDocument(archive), 0, kDpi, &problems);
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
    // The same page within a pixel: A4 at 100 dpi.
    EXPECT_NEAR(fromOfd.width(), fromPdf.width(), 1);
    EXPECT_NEAR(fromOfd.height(), fromPdf.height(), 1);
    const double pdfCovered = inkCovered(fromPdf, fromOfd);
    const double ofdCovered = inkCovered(fromOfd, fromPdf);
    std::printf("ink of the PDF page found on the OFD page: %.2f %%, the other way: %.2f %%\n",
                100 * pdfCovered, 100 * ofdCovered);
    EXPECT_GT(pdfCovered, 0.99);
    EXPECT_GT(ofdCovered, 0.99);
}
