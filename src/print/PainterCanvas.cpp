#include "print/PainterCanvas.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

QFont baseFont(const PageFont& font)
{
    QFont qfont(font.face);
    qfont.setWeight(QFont::Weight(font.weight));
    qfont.setKerning(false);
    // Glyph outlines as designed: a printer page must not move text to suit screen hinting.
    qfont.setHintingPreference(QFont::PreferNoHinting);
    qfont.setStyleStrategy(QFont::StyleStrategy(QFont::PreferOutline | QFont::PreferQuality));
    return qfont;
}

// True when the face that draws `font` has no style as heavy as the weight asked for, so that
// a bold font is drawn emboldened by the font engine rather than from bold outlines.
bool IsSynthesizedBold(const QFont& font)
{
    if (font.weight() < QFont::DemiBold) {
        return false;
    }
    const QString family = QFontInfo(font).family();
    const QStringList styles = QFontDatabase::styles(family);
    return std::none_of(styles.cbegin(), styles.cend(), [&](const QString& style) {
        return QFontDatabase::weight(family, style) >= QFont::DemiBold;
    });
}

} // namespace

PainterCanvas::PainterCanvas(QPainter& painter)
    : m_painter(painter), m_dpiX(painter.device()->logicalDpiX()),
      m_dpiY(painter.device()->logicalDpiY()), m_metrics(m_font, painter.device())
{
}

QFont PainterCanvas::fontForCellHeight(const PageFont& font) const
{
    QFont qfont = baseFont(font);
    if (font.height <= 0) {
        return qfont;
    }
    QPaintDevice* device = m_painter.device();
    auto cellHeight = [&](int pixelSize) {
        qfont.setPixelSize(pixelSize);
        return QFontMetrics(qfont, device).height();
    };
    // A first guess from the face's proportions at a large size, then the neighbours of it.
    constexpr int kProbeSize = 1000;
    const int probeHeight = cellHeight(kProbeSize);
    int best = probeHeight > 0
                   ? std::max(1, int(std::lround(double(font.height) * kProbeSize / probeHeight)))
                   : font.height;
    int bestError = std::abs(cellHeight(best) - font.height);
    for (int candidate = std::max(1, best - 3); candidate <= best + 3; ++candidate) {
        const int error = std::abs(cellHeight(candidate) - font.height);
        if (error < bestError) {
            best = candidate;
            bestError = error;
        }
    }
    qfont.setPixelSize(best);
    return qfont;
}

void PainterCanvas::selectFont(const PageFont& font)
{
    const QString key = QStringLiteral("%1|%2|%3").arg(font.face).arg(font.height).arg(font.weight);
    auto fitted = m_fitted.constFind(key);
    if (fitted == m_fitted.constEnd()) {
        fitted = m_fitted.insert(key, fontForCellHeight(font));
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
