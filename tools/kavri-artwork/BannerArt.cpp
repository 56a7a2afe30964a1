#include "BannerArt.h"

#include "ArtworkText.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {
const QColor kBandStart(31, 122, 106);
const QColor kBandMiddle(76, 166, 146);
const QColor kBandEnd(223, 241, 234);
} // namespace

QImage PaintStepBanner(int step, const QString& instruction, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const QRectF band = QRectF(image.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = size.height() * 0.22;
    QPainterPath shape;
    shape.addRoundedRect(band, radius, radius);

    QLinearGradient fill(band.topLeft(), band.topRight());
    fill.setColorAt(0.0, kBandStart);
    fill.setColorAt(0.45, kBandMiddle);
    QColor end = kBandEnd;
    end.setAlpha(0);
    fill.setColorAt(0.82, kBandEnd);
    fill.setColorAt(1.0, end);
    painter.fillPath(shape, fill);

    // A faint gloss over the upper half gives the band some depth.
    QLinearGradient gloss(band.topLeft(), QPointF(band.left(), band.center().y()));
    gloss.setColorAt(0.0, QColor(255, 255, 255, 70));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.fillPath(shape, gloss);

    // Badge: a white disc with the step's number.
    const double centreY = size.height() / 2.0;
    const double badgeRadius = size.height() * 0.34;
    const QPointF badgeCentre(size.height() * 0.55 + badgeRadius * 0.3, centreY);
    painter.setPen(QPen(QColor(20, 90, 78, 120), 1.0));
    painter.setBrush(Qt::white);
    painter.drawEllipse(badgeCentre, badgeRadius, badgeRadius);

    const int numberPixels = qRound(badgeRadius * 1.45);
    painter.setFont(CaptionFont(numberPixels));
    painter.setPen(kBandStart);
    const QString number = QString::number(step);
    const double numberWidth = QFontMetricsF(painter.font()).horizontalAdvance(number);
    DrawTextCentredOn(painter, number, badgeCentre.x() - numberWidth / 2.0, centreY);

    const int textPixels = qRound(size.height() * 0.46);
    painter.setFont(CaptionFont(textPixels));
    const double textX = badgeCentre.x() + badgeRadius + size.height() * 0.35;
    DrawTextWithShadow(painter, instruction, textX, centreY, Qt::white, QColor(10, 60, 50, 110));
    painter.end();
    return image;
}
