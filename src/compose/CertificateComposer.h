#pragma once

#include "compose/CertificateValues.h"
#include "compose/TextReplace.h"

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
inline constexpr QChar kFiller = QChar(0x3000);    // IDEOGRAPHIC SPACE
inline constexpr QChar kReasonCut = QChar(0xFF08); // FULLWIDTH LEFT PARENTHESIS

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

// The first 11 characters of a date picker's text, without their spaces.
QString TrimDateText(const QString& pickerText);
// The reason up to its first "（", unless the text starts with one (then it stays whole).
QString TrimReasonText(const QString& reason);

// What 【查验码】 becomes: "证明编号 LZ2026-000123（扫描二维码可离线查验）". A template that holds
// it gets the certificate's signed QR code on its page.
inline const QString kVerificationMarker = QStringLiteral("【查验码】");
QString VerificationLine(const QString& certificateNumber);
// Whether the template asks for the QR code.
bool HasVerificationCode(QStringView templateText);

// Widths outside 0..kMaxLineWidth are taken as the nearest end of that range: a measured box
// never reports more than the probe holds.

// The template with every placeholder shown as its run of blanks, right block aligned.
QString RenderTemplatePreview(const QString& templateText, int width);
// Centred title, three empty lines, then the template with the values put in, right block
// aligned. A value is text: a placeholder or markup inside it is printed as it stands, and never
// completes one of the template's.
QString ComposeCertificate(const QString& templateText, const CertificateValues& values, int width);
// Shifts the block that starts at the first opening marker (and runs to the end of the text) so
// that its widest line ends at `width`, drops the block's markers and turns every "<br>" into
// CR LF. The block may hold any number of lines.
QString AlignRightBlock(const QString& text, int width);

} // namespace Compose
