// The certificate's QR code on an OFD page: drawn from the same modules as on the PDF page, in
// the same place, readable by a scanner, and absent from a page without one.
#include "OfdReader.h"
#include "OfdRenderer.h"
#include "print/CertificateOfdExport.h"
#include "print/CertificatePdfExport.h"
#include "print/FontSubstitutions.h"
#include "scan/CodeScanner.h"
#include "seal/QrMatrix.h"

#include <QImage>
#include <QPainter>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {

// A body with a signature block, so that the code goes to the left of its first line.
const QString kBody = QStringLiteral("\r\n\r\n\r\n兹证明张三同志于2024年6月30日离职。\r\n\r\n"
                                     "证明编号 LZ2026-000042（扫描二维码可离线查验）\r\n\r\n") +
                      QString(20, QChar(0x3000)) + QStringLiteral("示例公司（盖章）\r\n") +
                      QString(22, QChar(0x3000)) + QStringLiteral("2026年12月8日");

QByteArray samplePayload()
{
    QByteArray bytes;
    for (int i = 0; i < 200; ++i) {
        bytes.append(char((i * 37 + 11) & 0xff)); // every byte value class: not text
    }
    return bytes;
}

CertificateOfdInfo info()
{
    return CertificateOfdInfo{
        QStringLiteral("示例公司"), {QStringLiteral("LZ2026-000042")}, QDate(2026, 12, 8)};
}

bool dark(const QImage& image, int x, int y)
{
    return x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
           qGray(image.pixel(x, y)) < 128;
}

// Within `area` of `a`, the share of the pixels dark in `a` and light in `b` moved by `shift`,
// or the other way round (a pixel at the very edge of a module may go either way, so
// neighbours count).
double mismatch(const QImage& a, const QImage& b, const QRect& area, QPoint shift = {})
{
    qint64 pixels = 0;
    qint64 differing = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            ++pixels;
            const int bx = x + shift.x();
            const int by = y + shift.y();
            if (dark(a, x, y) == dark(b, bx, by)) {
                continue;
            }
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy) {
                for (int dx = -1; dx <= 1 && !near; ++dx) {
                    near = dark(a, x, y) == dark(b, bx + dx, by + dy);
                }
            }
            differing += near ? 0 : 1;
        }
    }
    return pixels == 0 ? 1 : double(differing) / double(pixels);
}

QRectF boundsOf(const QList<QPolygonF>& polygons)
{
    QRectF bounds;
    for (const QPolygonF& p : polygons) {
        bounds = bounds.united(p.boundingRect());
    }
    return bounds;
}

class OfdCode : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InstallFontSubstitutions(); }

    OfdRead::Document read(const QString& path)
    {
        m_archive = OfdRead::ReadArchive(path);
        EXPECT_TRUE(m_archive.error.isEmpty()) << m_archive.error.toStdString();
        OfdRead::Document document = OfdRead::ReadDocument(m_archive);
        EXPECT_TRUE(document.problems.isEmpty())
            << document.problems.join(u'\n').toStdString();
        return document;
    }

    QTemporaryDir dir;
    OfdRead::Archive m_archive;
};

} // namespace

TEST_F(OfdCode, IsTheGivenCodeTwentyFiveMillimetresSquareWhereThePdfHasIt)
{
    const QByteArray payload = samplePayload();
    const Seal::QrMatrix code = Seal::encodeQr(payload);
    ASSERT_FALSE(code.isNull());
    ASSERT_LE(code.version, 10);
    const QString ofdPath = dir.filePath(QStringLiteral("c.ofd"));
    const QString pdfPath = dir.filePath(QStringLiteral("c.pdf"));
    QString error;
    ASSERT_TRUE(ExportCertificateOfd(ofdPath, kBody, info(), &error, code)) << error.toStdString();
    ASSERT_TRUE(ExportCertificatePdf(pdfPath, kBody, &error, code)) << error.toStdString();

    const OfdRead::Document document = read(ofdPath);
    ASSERT_EQ(document.pages.size(), 1);
    const QList<QPolygonF>& filled = document.pages.first().filled;
    ASSERT_FALSE(filled.isEmpty());
    for (const QPolygonF& p : filled) {
        EXPECT_EQ(p.size(), 4); // a rectangle: a run of dark modules in a row
    }
    const QRectF square = boundsOf(filled);
    EXPECT_NEAR(square.width(), 25.0, 0.05);
    EXPECT_NEAR(square.height(), 25.0, 0.05);

    // A scanner reads the drawn OFD page back to the same bytes.
    constexpr int kDpi = 300;
    const QImage ofdPage = RenderOfdPage(m_archive, document, 0, kDpi);
    EXPECT_EQ(Scan::decodeImage(ofdPage), QList<QByteArray>{payload});

    // And the PDF's page has the same modules in the same place.
    const std::optional<QList<QImage>> pdfPages = Scan::renderPdf(pdfPath, kDpi, &error);
    ASSERT_TRUE(pdfPages && pdfPages->size() == 1) << error.toStdString();
    QImage pdfPage(pdfPages->first().size(), QImage::Format_RGB32);
    pdfPage.fill(Qt::white);
    {
        QPainter painter(&pdfPage);
        painter.drawImage(0, 0, pdfPages->first());
    }
    // The same A4 page: the sizes differ at most by the rounding of a pixel.
    ASSERT_LE(std::abs(pdfPage.width() - ofdPage.width()), 1);
    ASSERT_LE(std::abs(pdfPage.height() - ofdPage.height()), 1);
    const double px = kDpi / 25.4;
    const QRect area(int(square.x() * px) - 4, int(square.y() * px) - 4,
                     int(square.width() * px) + 8, int(square.height() * px) + 8);
    EXPECT_LT(mismatch(ofdPage, pdfPage, area), 0.002);
    // The check tells the places apart: against the PDF's code one module further right, the
    // OFD's is far off.
    EXPECT_GT(mismatch(ofdPage, pdfPage, area, QPoint(int(25.0 / code.size * px), 0)), 0.1);
}

TEST_F(OfdCode, OnlyThePageGivenACodeHasAPathAndEveryIdStaysUnique)
{
    const QString path = dir.filePath(QStringLiteral("two.ofd"));
    CertificateOfd ofd;
    ofd.addPage(kBody);
    ofd.addPage(kBody, Seal::encodeQr(samplePayload()));
    ofd.addPage(kBody);
    QString error;
    ASSERT_TRUE(ofd.write(path, info(), &error)) << error.toStdString();

    const OfdRead::Document document = read(path);
    ASSERT_EQ(document.pages.size(), 3);
    EXPECT_TRUE(document.pages[0].filled.isEmpty());
    EXPECT_FALSE(document.pages[1].filled.isEmpty());
    EXPECT_TRUE(document.pages[2].filled.isEmpty());

    QSet<int> ids;
    int paths = 0;
    for (auto it = m_archive.files.cbegin(); it != m_archive.files.cend(); ++it) {
        if (!it.key().endsWith(QStringLiteral(".xml"))) {
            continue;
        }
        const OfdRead::Element root = OfdRead::ParseXml(it.value());
        for (const OfdRead::Element* e : root.all()) {
            if (e->name == QLatin1String("PathObject")) {
                ++paths;
            }
            if (!e->attributes.contains(QStringLiteral("ID"))) {
                continue;
            }
            const int id = e->attributes.value(QStringLiteral("ID")).toInt();
            EXPECT_FALSE(ids.contains(id)) << "ID " << id << " twice";
            EXPECT_GE(id, 1);
            EXPECT_LE(id, document.maxUnitId);
            ids.insert(id);
        }
    }
    EXPECT_EQ(paths, 1);
}
