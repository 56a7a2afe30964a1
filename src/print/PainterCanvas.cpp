#include "print/PainterCanvas.h"

#include "print/PageFontFitting.h"

#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <cstring>

PainterCanvas::PainterCanvas(QPainter& painter)
    : m_painter(painter), m_dpiX(painter.device()->logicalDpiX()),
      m_dpiY(painter.device()->logicalDpiY()), m_metrics(m_font, painter.device())
{
}

void PainterCanvas::selectFont(const PageFont& font)
{
    const QString key = QStringLiteral("%1|%2|%3").arg(font.face).arg(font.height).arg(font.weight);
    auto fitted = m_fitted.constFind(key);
    if (fitted == m_fitted.constEnd()) {
        fitted = m_fitted.insert(key, FitPageFont(font, m_painter.device()));
    }
    m_font = *fitted;
    m_painter.setFont(m_font);
    m_metrics = QFontMetrics(m_font, m_painter.device());
    m_painter.setPen(Qt::black);
    // The song face has no bold style. Paper (PDF and printers) gets a synthetic bold from the
    // PDF engine, and so does unscaled screen text; but the print preview records the page and
    // replays it scaled, and scaled text is drawn from plain outlines. There the strokes are
    // thickened here by about what the font engine adds (a 24th of the em).
    const QPaintEngine* engine = m_painter.paintEngine();
    m_emboldenWidth = engine && engine->type() == QPaintEngine::Picture && IsSynthesizedBold(m_font)
                          ? m_font.pixelSize() / 24.0
                          : 0.0;
}

int PainterCanvas::textWidth(QStringView text) const
{
    return m_metrics.horizontalAdvance(text.toString());
}

int PainterCanvas::textHeight() const
{
    return m_metrics.height();
}

int PainterCanvas::externalLeading() const
{
    // Some faces report a negative leading; a line step never shrinks below the cell height.
    return std::max(0, m_metrics.leading());
}

void PainterCanvas::drawText(int x, int y, QStringView text)
{
    if (text.isEmpty()) {
        return;
    }
    // The layout places the top-left of the text cell; Qt draws on the baseline.
    const QPoint baseline(x, y + m_metrics.ascent());
    m_painter.drawText(baseline, text.toString());
    if (m_emboldenWidth > 0) {
        QPainterPath outline;
        outline.addText(baseline, m_font, text.toString());
        m_painter.strokePath(outline, QPen(Qt::black, m_emboldenWidth, Qt::SolidLine, Qt::RoundCap,
                                           Qt::RoundJoin));
    }
}

void PainterCanvas::fillRect(int x, int y, int width, int height)
{
    m_painter.fillRect(QRect(x, y, width, height), Qt::black);
}

// One fill of many rectangles: a PDF page gets one path of them, where a fill each costs the
// painter's state changes every time (a QR code has several hundred runs of dark modules).
void PainterCanvas::fillRects(const QList<QRect>& rects)
{
    if (rects.isEmpty()) {
        return;
    }
    m_painter.save();
    m_painter.setPen(Qt::NoPen);
    m_painter.setBrush(Qt::black);
    m_painter.drawRects(rects.constData(), int(rects.size()));
    m_painter.restore();
}

// The code as one 1-bit image: a PDF page gets a few hundred bytes of image where the runs of
// dark modules as rectangles come to tens of kilobytes of path to write and compress. Each
// module is 3 x 3 pixels, stretched without smoothing: a renderer that smooths an image it
// enlarges less than fourfold (poppler does, below 300 dpi) then blurs only a module's edge.
// Pages rendered by pdftoppm at 120 to 300 dpi read with zbarimg as the rectangles' pages did;
// one pixel per module, smoothed, did not below 300 dpi.
bool PainterCanvas::drawModules(const Seal::QrMatrix& code, const QRect& square)
{
    constexpr int kPixelsPerModule = 3;
    const int side = code.size * kPixelsPerModule;
    QImage image(side, side, QImage::Format_Mono);
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    image.fill(1);
    for (int row = 0; row < code.size; ++row) {
        uchar* first = image.scanLine(row * kPixelsPerModule);
        for (int x = 0; x < side; ++x) {
            if (code.dark(x / kPixelsPerModule, row)) {
                first[x >> 3] &= uchar(~(0x80 >> (x & 7)));
            }
        }
        for (int copy = 1; copy < kPixelsPerModule; ++copy) {
            std::memcpy(image.scanLine(row * kPixelsPerModule + copy), first,
                        size_t(image.bytesPerLine()));
        }
    }
    m_painter.save();
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    m_painter.drawImage(QRectF(square), image);
    m_painter.restore();
    return true;
}
