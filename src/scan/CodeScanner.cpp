#include "scan/CodeScanner.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QPdfDocument>
#include <ZXing/ReadBarcode.h>

namespace Scan {

namespace {

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

bool isPdf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(5) == QByteArrayLiteral("%PDF-");
}

} // namespace

QList<QByteArray> decodeImage(const QImage& image)
{
    QList<QByteArray> found;
    if (image.isNull()) {
        return found;
    }
    QImage flat = image;
    if (image.hasAlphaChannel()) {
        // A rendered PDF page is transparent where nothing is drawn: paper is white.
        flat = QImage(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
    }
    const QImage gray = flat.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(), ZXing::ImageFormat::Lum,
                                int(gray.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    for (const ZXing::Result& result : ZXing::ReadBarcodes(view, hints)) {
        if (result.isValid()) {
            const ZXing::ByteArray& bytes = result.bytes();
            found.append(QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size())));
        }
    }
    return found;
}

std::optional<QList<QImage>> renderPdf(const QString& path, int dpi, QString* error)
{
    QPdfDocument document;
    if (document.load(path) != QPdfDocument::Error::None || document.pageCount() < 1) {
        *error = QStringLiteral("无法读取 PDF 文件 %1").arg(native(path));
        return std::nullopt;
    }
    QList<QImage> pages;
    for (int page = 0; page < document.pageCount(); ++page) {
        const QSizeF points = document.pagePointSize(page);
        const QSize pixels = (points * dpi / 72.0).toSize();
        QImage image = document.render(page, pixels);
        if (image.isNull()) {
            *error = QStringLiteral("无法读取 PDF 文件 %1 的第 %2 页").arg(native(path)).arg(page + 1);
            return std::nullopt;
        }
        pages.append(image);
    }
    return pages;
}

std::optional<QList<QByteArray>> readCodes(const QString& path, QString* error)
{
    if (!QFile::exists(path)) {
        *error = QStringLiteral("文件 %1 不存在").arg(native(path));
        return std::nullopt;
    }
    if (isPdf(path)) {
        const std::optional<QList<QImage>> pages = renderPdf(path, kPdfRenderDpi, error);
        if (!pages) {
            return std::nullopt;
        }
        QList<QByteArray> found;
        for (const QImage& page : *pages) {
            found += decodeImage(page);
        }
        return found;
    }
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        *error = QStringLiteral("无法读取图片 %1（只接受 PNG、JPEG 图片或 PDF 文件）").arg(native(path));
        return std::nullopt;
    }
    return decodeImage(image);
}

} // namespace Scan
