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

namespace {

QList<QByteArray> readGray(const QImage& gray, bool thorough)
{
    const ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(), ZXing::ImageFormat::Lum,
                                int(gray.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setTryHarder(thorough);
    hints.setTryRotate(thorough);
    QList<QByteArray> found;
    for (const ZXing::Result& result : ZXing::ReadBarcodes(view, hints)) {
        if (result.isValid()) {
            const ZXing::ByteArray& bytes = result.bytes();
            found.append(QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size())));
        }
    }
    return found;
}

} // namespace

QList<QByteArray> decodeImage(const QImage& image)
{
    if (image.isNull()) {
        return {};
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
    // A scan or a photo of a page usually gives the code up to the quick look (every few rows,
    // the image and a downscaled copy); only a page where it finds nothing is searched row by
    // row and turned.
    QList<QByteArray> found = readGray(gray, false);
    if (found.isEmpty()) {
        found = readGray(gray, true);
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
        // The code's modules are half a millimetre: at the quick resolution a rendered page
        // shows each as three pixels, plenty for a clean page; a page where none is found there
        // is rendered again at a scanner's resolution.
        for (const int dpi : {kPdfQuickDpi, kPdfRenderDpi}) {
            const std::optional<QList<QImage>> pages = renderPdf(path, dpi, error);
            if (!pages) {
                return std::nullopt;
            }
            QList<QByteArray> found;
            for (const QImage& page : *pages) {
                found += decodeImage(page);
            }
            if (!found.isEmpty() || dpi == kPdfRenderDpi) {
                return found;
            }
        }
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
