#pragma once

#include "compose/CertificateComposer.h"
#include "print/PageCanvas.h"
#include "print/PageRect.h"

#include <QString>
#include <QStringView>

// Lays the certificate out on one page and draws it on a PageCanvas: the fixed title "离职证明"
// and, below it, the body text wrapped by characters into a fixed column. Positions are in page
// units of a 581 x 815 grid stretched over the printable rectangle, fonts are scaled from 96 dpi
// to the device, so the same text gives the same page on any printer or PDF resolution.
class CertificatePageLayout
{
public:
    static constexpr int kUnitsWide = 581;
    static constexpr int kUnitsHigh = 815;
    static constexpr int kTitleX = 228;
    static constexpr int kTitleY = 101;
    static constexpr int kColumnLeft = 54;
    static constexpr int kColumnRight = 527;
    static constexpr int kFirstLineY = 176;
    static constexpr int kReferenceDpi = 96;

    static const PageFont kTitleFont; // 宋体, 31, bold
    static const PageFont kBodyFont;  // 宋体, 20, normal

    // The font scaled from 96 dpi to a device of the given resolution.
    static PageFont scaledFont(const PageFont& font, int dpiX, int dpiY);

    void setPageRect(const PageRect& rect) { m_rcPage = rect; }
    const PageRect& pageRect() const { return m_rcPage; }
    int lineAdvance() const { return m_nLineAdvance; }

    // Draws the whole page: the title, then `certText` (the certificate after its title, CR LF
    // line breaks) as the body.
    void draw(PageCanvas& canvas, QStringView certText);

    // Lines of one font at one left edge, (x, y) in device units.
    void drawTextBlock(PageCanvas& canvas, int x, int y, const PageFont& font, QStringView text);

    // One body paragraph starting at page y, wrapped into the column; returns the page y of its
    // last line. Also sets the line advance from the body font.
    int drawParagraph(PageCanvas& canvas, int y, QStringView paragraph);

private:
    float scaleX() const { return float(m_rcPage.width()) / float(m_nUnitsWide); }
    float scaleY() const { return float(m_rcPage.height()) / float(m_nUnitsHigh); }

    PageRect m_rcPage;
    int m_nUnitsWide = kUnitsWide;
    int m_nUnitsHigh = kUnitsHigh;
    int m_nLineAdvance = 0;
};
