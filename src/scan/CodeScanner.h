#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <optional>

// Finds QR codes in a photo or a scan of a certificate: a PNG or JPEG image, or a PDF (each page
// rendered at 150 dpi, and at 300 dpi as a scanner would give it when nothing is found).
// Decoding by zxing-cpp.
namespace Scan {

inline constexpr int kPdfQuickDpi = 150;
inline constexpr int kPdfRenderDpi = 300;

// The bytes of every QR code found in the image, in the order found.
QList<QByteArray> decodeImage(const QImage& image);

// The bytes of every QR code in the file; nullopt and *error (Chinese) when the file cannot be
// read as an image or a PDF.
std::optional<QList<QByteArray>> readCodes(const QString& path, QString* error);

// The pages of a PDF file rendered at `dpi`; nullopt and *error when it is not a readable PDF.
std::optional<QList<QImage>> renderPdf(const QString& path, int dpi, QString* error);

} // namespace Scan
