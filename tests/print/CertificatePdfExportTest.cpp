#include "print/CertificatePdfExport.h"
#include "PdfText.h"
#include "SampleCertificate.h"
#include "print/FontSubstitutions.h"
#include "print/PainterCanvas.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class CertificatePdfExport : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InstallFontSubstitutions(); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(CertificatePdfExport, PageHoldsTitleAndEveryBodyLineInOrder)
{
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("离职证明-张三.pdf"));
    QString error;
    ASSERT_TRUE(ExportCertificatePdf(path, SampleBody(), &error)) << error.toStdString();

    EXPECT_EQ(PdfPageCount(path), 1);
    const QString text = PdfText(path);
    ASSERT_FALSE(text.isEmpty());
    const QString flat = WithoutSpaces(text);
    EXPECT_TRUE(flat.startsWith(QStringLiteral("离职证明"))) << text.toStdString();
    QString missing;
    EXPECT_TRUE(HoldsLinesInOrder(text, SampleBody(), &missing))
        << "missing: " << missing.toStdString() << "\nin: " << text.toStdString();
    // The title is drawn once by the page itself; the body handed over starts after it.
    EXPECT_EQ(flat.count(QStringLiteral("离职证明")), 1);
}

TEST_F(CertificatePdfExport, PageIsA4)
{
    const QString path = dir.filePath(QStringLiteral("a4.pdf"));
    ASSERT_TRUE(ExportCertificatePdf(path, QStringLiteral("兹证明")));
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {path});
    ASSERT_TRUE(process.waitForFinished(30000));
    const QString info = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_TRUE(info.contains(QStringLiteral("(A4)"))) << info.toStdString();
}

TEST_F(CertificatePdfExport, UnwritablePathFailsAndLeavesNothing)
{
    const QString path = dir.filePath(QStringLiteral("missing/sub/out.pdf"));
    QString error;
    EXPECT_FALSE(ExportCertificatePdf(path, SampleBody(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(CertificatePdfExport, FailedRenameLeavesNoTemporaryFileBehind)
{
    // A directory stands where the file should go: the page is written, the rename fails.
    const QString path = dir.filePath(QStringLiteral("taken.pdf"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken.pdf")));
    QString error;
    EXPECT_FALSE(ExportCertificatePdf(path, SampleBody(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("taken.pdf")});
}

TEST_F(CertificatePdfExport, ReplacesAnEarlierExport)
{
    const QString path = dir.filePath(QStringLiteral("again.pdf"));
    ASSERT_TRUE(ExportCertificatePdf(path, QStringLiteral("第一份")));
    ASSERT_TRUE(ExportCertificatePdf(path, QStringLiteral("第二份")));
    const QString text = WithoutSpaces(PdfText(path));
    EXPECT_TRUE(text.contains(QStringLiteral("第二份")));
    EXPECT_FALSE(text.contains(QStringLiteral("第一份")));
}

TEST_F(CertificatePdfExport, FontsAreFittedByCellHeight)
{
    QFile file(dir.filePath(QStringLiteral("metrics.pdf")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QPdfWriter writer(&file);
    writer.setResolution(600);
    QPainter painter(&writer);
    PainterCanvas canvas(painter);
    EXPECT_EQ(canvas.dpiX(), 600);
    EXPECT_EQ(canvas.dpiY(), 600);
    for (int height : {193, 125, 62, 20}) {
        canvas.selectFont(PageFont{QStringLiteral("宋体"), height, 0, 400});
        EXPECT_NEAR(canvas.textHeight(), height, 1) << height;
        EXPECT_GE(canvas.externalLeading(), 0);
        // A full-width character is about one em wide, and the em is a little under the cell.
        const int han = canvas.textWidth(u"证");
        EXPECT_GT(han, height / 2) << height;
        EXPECT_LE(han, height) << height;
        EXPECT_EQ(canvas.textWidth(u"证证证证"), 4 * han) << height;
    }
    canvas.selectFont(PageFont{QStringLiteral("宋体"), 193, 0, 700});
    EXPECT_TRUE(canvas.currentFont().bold());
    painter.end();
}
