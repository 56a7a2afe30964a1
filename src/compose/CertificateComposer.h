#pragma once

#include "compose/CertificateValues.h"

#include <QString>
#include <QStringView>
#include <array>

// Turns a stored template text into the template preview and the certificate text, fitted to a
// box that holds `width` full-width characters per line. Pure string work: no widget involved.
namespace Compose {

inline constexpr int kMaxLineWidth = 330;
inline constexpr int kDateTrimLength = 11;

inline const QString kTitle = QStringLiteral("离职证明");
inline const QString kLineBreak = QStringLiteral("\r\n");
inline const QString kBreakMarker = QStringLiteral("<br>");
inline const QString kBlockOpen = QStringLiteral("<div style=\"float: right;\">");
inline const QString kBlockClose = QStringLiteral("</div>");
inline constexpr QChar kFiller = QChar(0x3000);     // IDEOGRAPHIC SPACE
inline constexpr QChar kBlank = QChar(0xFF3F);      // FULLWIDTH LOW LINE
inline constexpr QChar kReasonCut = QChar(0xFF08);  // FULLWIDTH LEFT PARENTHESIS

// One placeholder: its text in the template, the form value that replaces it in the certificate
// and the run of blanks that stands for it in the preview.
struct Placeholder
{
    QStringView marker;
    QString CertificateValues::*value;
    QStringView blank;
};

// In the order in which the certificate replaces them.
extern const std::array<Placeholder, 9> kPlaceholders;

// The 330 full-width numerals whose first display line tells how wide a box is.
QString widthProbe();

QString TrimDateText(const QString& pickerText);
QString TrimReasonText(const QString& reason);

QString RenderTemplatePreview(const QString& templateText, int width);
QString ComposeCertificate(const QString& templateText, const CertificateValues& values, int width);
QString AlignRightBlock(const QString& text, int width);

// Every occurrence of `before` replaced by `after` in one left-to-right pass; what is inserted
// is not searched again. Linear in the size of text and result.
QString replaceAll(const QString& text, QStringView before, QStringView after);

} // namespace Compose
