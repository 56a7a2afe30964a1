#include "ArtworkText.h"

#include <QFontMetricsF>
#include <QPainter>

QFont CaptionFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(pixelSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void DrawTextCentredOn(QPainter& painter, const QString& text, double x, double centreY)
{
    const QFontMetricsF metrics(painter.font());
    // CJK glyphs fill most of the em box; centring the ascent-to-descent span looks low, so
    // centre the glyph box of the text itself.
    const QRectF box = metrics.tightBoundingRect(text);
    const double baseline = centreY - box.center().y();
    painter.drawText(QPointF(x, baseline), text);
}

void DrawTextWithShadow(QPainter& painter, const QString& text, double x, double centreY,
                        const QColor& colour, const QColor& shadow)
{
    painter.setPen(shadow);
    DrawTextCentredOn(painter, text, x + 1, centreY + 1);
    painter.setPen(colour);
    DrawTextCentredOn(painter, text, x, centreY);
}
