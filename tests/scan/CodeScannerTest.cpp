#include "ScanFixtures.h"

#include "print/CertificatePdfExport.h"
#include "scan/CodeScanner.h"

#include <QTemporaryDir>
#include <QTransform>
#include <gtest/gtest.h>

using namespace ScanTest;

TEST(CodeScanner, ReadsTheCodeOfACertificatePdfBackByteForByte)
{
    QTemporaryDir dir;
    const Seal::SealedCertificate sealed = seal(ownKey(), values(), certificateText());
    const QString pdf = dir.filePath(QStringLiteral("证明.pdf"));
    QString error;
    ASSERT_TRUE(ExportCertificatePdf(pdf, certificateText(), &error, sealed.code)) << error.toStdString();
    const std::optional<QList<QByteArray>> codes = Scan::readCodes(pdf, &error);
    ASSERT_TRUE(codes) << error.toStdString();
    EXPECT_EQ(*codes, QList<QByteArray>{sealed.payload});
}

TEST(CodeScanner, APageWithoutTheCodeHasNone)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("plain.pdf"));
    QString error;
    ASSERT_TRUE(ExportCertificatePdf(pdf, certificateText(), &error));
    const std::optional<QList<QByteArray>> codes = Scan::readCodes(pdf, &error);
    ASSERT_TRUE(codes) << error.toStdString();
    EXPECT_TRUE(codes->isEmpty());
}

// A photo is never square to the page, and a copy is never sharp: a scan at 300 dpi turned by
// 3 degrees, blurred and saved as a JPEG of quality 70 still reads.
TEST(CodeScanner, ReadsARotatedBlurredJpeg)
{
    QTemporaryDir dir;
    const Seal::SealedCertificate sealed = seal(ownKey(), values(), certificateText());
    QImage page = codeImage(sealed.code, 6).transformed(QTransform().rotate(3), Qt::SmoothTransformation);
    // A 3 x 3 box blur by scaling down and back up.
    page = page.scaled(page.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
               .scaled(page.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QString jpeg = dir.filePath(QStringLiteral("photo.jpg"));
    ASSERT_TRUE(page.save(jpeg, "JPEG", 70));
    QString error;
    const std::optional<QList<QByteArray>> codes = Scan::readCodes(jpeg, &error);
    ASSERT_TRUE(codes) << error.toStdString();
    EXPECT_EQ(*codes, QList<QByteArray>{sealed.payload});
}

TEST(CodeScanner, RefusesFilesItCannotRead)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(Scan::readCodes(dir.filePath(QStringLiteral("missing.png")), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("文件"))) << error.toStdString();
    for (const auto& [name, bytes] :
         {std::pair{"note.txt", QByteArray("hello")}, std::pair{"broken.pdf", QByteArray("%PDF-1.4\nbroken")}}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        error.clear();
        EXPECT_FALSE(Scan::readCodes(path, &error)) << name;
        EXPECT_FALSE(error.isEmpty()) << name;
    }
}
