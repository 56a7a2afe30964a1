#include "print/CertificatePageLayout.h"

#include "compose/CertificateComposer.h"
#include "print/ParagraphBreaker.h"

const PageFont CertificatePageLayout::kTitleFont{QStringLiteral("宋体"), 31, 0, 700};
const PageFont CertificatePageLayout::kBodyFont{QStringLiteral("宋体"), 20, 0, 400};

// The page breaks the composed text where the composer broke it.
using Compose::kLineBreak;

PageFont CertificatePageLayout::scaledFont(const PageFont& font, int dpiX, int dpiY)
{
    // The factor is formed first and the product truncated: 31 at 600 dpi gives 193, not 194.
    const double factorX = double(dpiX) / kReferenceDpi;
    const double factorY = double(dpiY) / kReferenceDpi;
    PageFont scaled = font;
    scaled.height = int(font.height * factorY);
    scaled.width = int(font.width * factorX);
    return scaled;
}

void CertificatePageLayout::draw(PageCanvas& canvas, QStringView certText)
{
    const float sx = scaleX();
    const float sy = scaleY();
    drawTextBlock(canvas, int(kTitleX * sx), int(kTitleY * sy), kTitleFont, Compose::kTitle);

    int y = kFirstLineY;
    QStringView text = certText;
    // The body starts with the line breaks that followed the title; the title is drawn above.
    while (text.startsWith(kLineBreak)) {
        text = text.sliced(kLineBreak.size());
    }
    for (qsizetype end = text.indexOf(kLineBreak); end >= 0; end = text.indexOf(kLineBreak)) {
        const QStringView paragraph = text.first(end);
        text = text.sliced(end + kLineBreak.size());
        if (!paragraph.isEmpty()) {
            y = drawParagraph(canvas, y, paragraph);
        }
        // An empty line takes one advance like any other.
        y += m_nLineAdvance;
    }
    drawParagraph(canvas, y, text);
}

void CertificatePageLayout::drawTextBlock(PageCanvas& canvas, int x, int y, const PageFont& font,
                                          QStringView text)
{
    canvas.selectFont(scaledFont(font, canvas.dpiX(), canvas.dpiY()));
    const int step = canvas.textHeight() + 2 * canvas.externalLeading();
    for (qsizetype end = text.indexOf(kLineBreak); end >= 0; end = text.indexOf(kLineBreak)) {
        canvas.drawText(x, y, text.first(end));
        text = text.sliced(end + kLineBreak.size());
        y += step;
    }
    canvas.drawText(x, y, text);
}

int CertificatePageLayout::drawParagraph(PageCanvas& canvas, int y, QStringView paragraph)
{
    const float sx = scaleX();
    const float sy = scaleY();
    const PageFont body = scaledFont(kBodyFont, canvas.dpiX(), canvas.dpiY());
    canvas.selectFont(body);

    // About two text heights between body lines, in page units. The text height is the cell
    // height the font was asked for at this resolution, not what a font engine makes of it: an
    // engine fits the cell to whole pixels of its own, a unit or two off at printer resolutions,
    // and one unit less per line is a line less on a page of the same certificate. A printable
    // area without height has no page units to speak of; it gets no advance rather than a
    // division by zero.
    const qint64 height = m_rcPage.height();
    if (height != 0) {
        const qint64 deviceAdvance = 2 * qint64(body.height) + canvas.externalLeading();
        m_nLineAdvance = int(deviceAdvance * m_nUnitsHigh / height);
    } else {
        m_nLineAdvance = 0;
    }
    if (paragraph.isEmpty()) {
        return y;
    }

    const qint64 avail = qint64(m_rcPage.width()) * (kColumnRight - kColumnLeft) / m_nUnitsWide;
    const int x = int(kColumnLeft * sx);
    const QList<QStringView> lines = BreakParagraph(canvas, paragraph, avail);
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        canvas.drawText(x, int(y * sy), lines[i]);
        y += m_nLineAdvance;
    }
    canvas.drawText(x, int(y * sy), lines.last());
    return y;
}
