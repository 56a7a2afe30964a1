#include "print/RecordingPageCanvas.h"

#include "print/PageFontFitting.h"

#include <QPaintDevice>

#include <algorithm>
#include <utility>

RecordingPageCanvas::RecordingPageCanvas(const QPaintDevice* device)
    : m_device(device), m_dpiX(device->logicalDpiX()), m_dpiY(device->logicalDpiY()),
      m_metrics(m_font, device)
{
}

void RecordingPageCanvas::selectFont(const PageFont& font)
{
    const QString key = QStringLiteral("%1|%2|%3").arg(font.face).arg(font.height).arg(font.weight);
    auto fitted = m_fitted.constFind(key);
    if (fitted == m_fitted.constEnd()) {
        fitted = m_fitted.insert(key, FitPageFont(font, m_device));
    }
    m_font = *fitted;
    m_metrics = QFontMetrics(m_font, m_device);
}

int RecordingPageCanvas::textWidth(QStringView text) const
{
    return m_metrics.horizontalAdvance(text.toString());
}

int RecordingPageCanvas::textHeight() const
{
    return m_metrics.height();
}

int RecordingPageCanvas::externalLeading() const
{
    return std::max(0, m_metrics.leading());
}

void RecordingPageCanvas::drawText(int x, int y, QStringView text)
{
    if (text.isEmpty()) {
        return;
    }
    m_texts.append(
        PlacedText{QPoint(x, y), m_metrics.ascent(), m_metrics.height(), text.toString(), m_font});
}

QList<PlacedText> RecordingPageCanvas::takeTexts()
{
    return std::exchange(m_texts, {});
}

void RecordingPageCanvas::fillRect(int x, int y, int width, int height)
{
    m_fills.append(QRect(x, y, width, height));
}

QList<QRect> RecordingPageCanvas::takeFills()
{
    return std::exchange(m_fills, {});
}
