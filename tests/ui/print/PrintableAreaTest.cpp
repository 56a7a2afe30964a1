#include "FakePrinterServices.h"
#include "PdfText.h"
#include "SampleCertificate.h"
#include "ui/print/CMyView.h"
#include "print/CertificatePageLayout.h"
#include "print/CertificatePagePainting.h"
#include "print/CertificatePdfExport.h"
#include "print/FontSubstitutions.h"

#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>

// The printed page is laid out over the printer's printable area: the whole sheet on an
// edge-to-edge queue, the imageable rectangle on an inset one; never over Qt's own margins.
namespace {

constexpr double kA4Width = 595.276;  // points
constexpr double kA4Height = 841.890; // points

class PrintableArea : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InstallFontSubstitutions(); }

    QList<PdfWord> printed(std::optional<QMarginsF> printableMargins)
    {
        const QString path = dir.filePath(QStringLiteral("printed.pdf"));
        printers.nextOutputFile = path;
        printers.printableMargins = printableMargins;
        // A 600 dpi queue, as the exported page is drawn at 600 dpi.
        printers.resolution = 600;
        CMyView view(&body);
        EXPECT_TRUE(view.OnFilePrint(nullptr));
        return PdfWords(path);
    }

    QList<PdfWord> exported()
    {
        const QString path = dir.filePath(QStringLiteral("exported.pdf"));
        QString error;
        EXPECT_TRUE(ExportCertificatePdf(path, body, &error)) << error.toStdString();
        return PdfWords(path);
    }

    QString body = SampleBody();
    FakePrinterServices printers;
    QTemporaryDir dir;
};

} // namespace

TEST_F(PrintableArea, EdgeToEdgePrinterPrintsExactlyTheExportedPage)
{
    const QList<PdfWord> page = exported();
    const QList<PdfWord> print = printed(std::nullopt);
    ASSERT_GE(page.size(), 6);
    ASSERT_EQ(print.size(), page.size());
    for (qsizetype i = 0; i < page.size(); ++i) {
        SCOPED_TRACE(page[i].text.toStdString());
        EXPECT_EQ(print[i].text, page[i].text);
        EXPECT_NEAR(print[i].xMin, page[i].xMin, 0.5);
        EXPECT_NEAR(print[i].yMin, page[i].yMin, 0.5);
        EXPECT_NEAR(print[i].xMax, page[i].xMax, 0.5);
    }
}

TEST_F(PrintableArea, InsetPrinterFillsItsImageableRectangle)
{
    // 18 pt at the sides, 36 pt at top and bottom. The page must be the certificate laid out
    // over exactly that rectangle: the same as drawing it on a PDF page with those margins.
    const QMarginsF inset(18, 36, 18, 36);
    const QString expectedPath = dir.filePath(QStringLiteral("inset.pdf"));
    {
        QPdfWriter writer(expectedPath);
        writer.setResolution(600);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, inset,
                                         QPageLayout::Point));
        QPainter painter(&writer);
        CertificatePageLayout layout;
        PaintCertificatePage(painter, layout, body);
    }
    const QList<PdfWord> expected = PdfWords(expectedPath);
    const QList<PdfWord> print = printed(inset);
    ASSERT_GE(expected.size(), 6);
    ASSERT_EQ(print.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].text.toStdString());
        EXPECT_EQ(print[i].text, expected[i].text);
        EXPECT_NEAR(print[i].xMin, expected[i].xMin, 0.5);
        EXPECT_NEAR(print[i].yMin, expected[i].yMin, 0.5);
        EXPECT_NEAR(print[i].xMax, expected[i].xMax, 0.5);
    }
    // Nothing is printed where the queue cannot print.
    for (const PdfWord& word : print) {
        EXPECT_GE(word.xMin, 18);
        EXPECT_LE(word.xMax, kA4Width - 18);
        EXPECT_GE(word.yMin, 36);
        EXPECT_LE(word.yMax, kA4Height - 36);
    }
}

TEST_F(PrintableArea, NewPrinterDropsQtsOwnMarginsButKeepsAnInsetQueues)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Point);
    CMyView::UsePrintableArea(printer);
    EXPECT_EQ(printer.pageLayout().margins(QPageLayout::Point), QMarginsF(0, 0, 0, 0));

    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(10, 10, 10, 10), QPageLayout::Point,
                                      QMarginsF(18, 36, 18, 36)));
    CMyView::UsePrintableArea(printer);
    EXPECT_EQ(printer.pageLayout().margins(QPageLayout::Point), QMarginsF(18, 36, 18, 36));
}
