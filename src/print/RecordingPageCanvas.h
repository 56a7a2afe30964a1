#pragma once

#include "print/PageCanvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QList>
#include <QPoint>
#include <QRect>

class QPaintDevice;

// One string as the page layout placed it, in device units: the top-left of its cell, the cell's
// ascent and height, and the font that draws it on the device.
struct PlacedText
{
    QPoint topLeft;
    int ascent = 0;
    int cellHeight = 0;
    QString text;
    QFont font;
};

// A canvas that measures exactly as a painter on `device` would (each page font fitted by cell
// height on that device, as PainterCanvas fits it) and, instead of drawing, keeps every string
// with its place and font. A page laid out on it breaks its lines where the painted page does.
class RecordingPageCanvas : public PageCanvas
{
public:
    // `device` must outlive the canvas; nothing is ever painted on it.
    explicit RecordingPageCanvas(const QPaintDevice* device);

    int dpiX() const override { return m_dpiX; }
    int dpiY() const override { return m_dpiY; }
    void selectFont(const PageFont& font) override;
    int textWidth(QStringView text) const override;
    int textHeight() const override;
    int externalLeading() const override;
    void drawText(int x, int y, QStringView text) override;
    // The black rectangles of the page's QR code, kept likewise.
    void fillRect(int x, int y, int width, int height) override;

    const QPaintDevice* device() const { return m_device; }
    // What was drawn since the last call, in drawing order.
    QList<PlacedText> takeTexts();
    // The rectangles filled since the last call, in drawing order.
    QList<QRect> takeFills();

private:
    const QPaintDevice* m_device;
    int m_dpiX;
    int m_dpiY;
    QFont m_font;
    QFontMetrics m_metrics;
    QHash<QString, QFont> m_fitted;
    QList<PlacedText> m_texts;
    QList<QRect> m_fills;
};
