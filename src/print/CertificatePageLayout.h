#pragma once

#include "compose/CertificateComposer.h"
#include "print/PageCanvas.h"
#include "print/PageRect.h"
#include "seal/QrMatrix.h"

#include <QRect>

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
    // line breaks) as the body, then the QR code when one is set.
    void draw(PageCanvas& canvas, QStringView certText);

    // The certificate's signed QR code for the pages drawn next (a null matrix: none, and the
    // page is drawn exactly as without this call). It is drawn 25 mm square at the column's
    // left edge, its top at the top of the signature block's first line (the block: the lines
    // after the body's last empty line). Where that would touch text, counting the code's quiet
    // zone of four modules, it goes below the last line instead, and where that leaves the page,
    // to the page's bottom-left corner.
    void setVerificationCode(const Seal::QrMatrix& code) { m_code = code; }
    const Seal::QrMatrix& verificationCode() const { return m_code; }
    // Where the last draw() put the code's modules, in device units; empty when it drew none.
    QRect verificationCodeRect() const { return m_codeRect; }

    static constexpr double kCodeSideMm = 25.0;

    // Draws the modules of `code` into the square at (x, y) of `side` device units: as one
    // picture where the canvas can draw one (see PageCanvas::drawModules), else one black
    // rectangle per run of dark modules in a row. Every page writer draws the code through this.
    static void drawCode(PageCanvas& canvas, const Seal::QrMatrix& code, int x, int y, int side);

    // Lines of one font at one left edge, (x, y) in device units.
    void drawTextBlock(PageCanvas& canvas, int x, int y, const PageFont& font, QStringView text);

    // One body paragraph starting at page y, wrapped into the column; returns the page y of its
    // last line. Also sets the line advance from the body font.
    int drawParagraph(PageCanvas& canvas, int y, QStringView paragraph);

private:
    void drawBody(PageCanvas& canvas, QStringView certText);
    QRect placeCode(const PageCanvas& canvas, const QList<QRect>& inked) const;

    float scaleX() const { return float(m_rcPage.width()) / float(m_nUnitsWide); }
    float scaleY() const { return float(m_rcPage.height()) / float(m_nUnitsHigh); }

    PageRect m_rcPage;
    int m_nUnitsWide = kUnitsWide;
    int m_nUnitsHigh = kUnitsHigh;
    int m_nLineAdvance = 0;
    Seal::QrMatrix m_code;
    QRect m_codeRect;
    // Page y of the signature block's first line in the last body drawn (-1: no lines).
    int m_blockTopY = -1;
};
