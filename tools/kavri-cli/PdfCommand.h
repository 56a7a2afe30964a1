#pragma once

#include <QStringList>

// kavri-cli pdf --template FILE --out FILE.pdf [--width W] [value options]: the certificate
// composed as compose does it, written as the one A4 page that "导出PDF" writes. Needs no
// display and no printer.
namespace PdfCommand {

// Characters per line of the main window's result box at the window's default size, as
// MeasureLineWidth reports it there; the width a certificate gets when --width is not given.
inline constexpr int kResultBoxWidth = 32;

QString synopsis();
int run(const QStringList& args);

} // namespace PdfCommand
