#pragma once

#include "print/PageCanvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>

class QPainter;

// The page canvas over a QPainter: measures with the painter's device metrics and draws with
// QPainter::drawText. Page fonts give their height as the cell height (ascent + descent), the
// way the page layout measures lines, so each font is given the pixel size whose cell height
// comes closest to it on this device.
class PainterCanvas : public PageCanvas
{
public:
    // `painter` must be active on its device for as long as the canvas is used.
    explicit PainterCanvas(QPainter& painter);

    int dpiX() const override { return m_dpiX; }
    int dpiY() const override { return m_dpiY; }
    void selectFont(const PageFont& font) override;
    int textWidth(QStringView text) const override;
    int textHeight() const override;
    int externalLeading() const override;
    void drawText(int x, int y, QStringView text) override;
    void fillRect(int x, int y, int width, int height) override;
    void fillRects(const QList<QRect>& rects) override;
    bool drawModules(const Seal::QrMatrix& code, const QRect& square) override;

    const QFont& currentFont() const { return m_font; }

private:
    QPainter& m_painter;
    int m_dpiX;
    int m_dpiY;
    QFont m_font;
    QFontMetrics m_metrics;
    // Pen width that thickens the current font's strokes where the device would draw a bold
    // face without its synthetic bold; 0 elsewhere.
    qreal m_emboldenWidth = 0;
    // Fonts already fitted on this device, by face, height and weight: a page selects the body
    // font once per paragraph.
    QHash<QString, QFont> m_fitted;
};
