#include "ButtonArt.h"

#include "ArtworkMetrics.h"
#include "ArtworkText.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {
const QColor kBackground(224, 223, 228);
const QColor kRestingCaption(0, 0, 0);
const QColor kHoverCaption(255, 128, 64);

constexpr double kBulletRadius = 6.5;
constexpr double kRestingBulletX = 16.0; // centre of the bullet
constexpr double kCaptionGap = 11.0;     // from the bullet's right edge to the caption
constexpr int kHoverShiftX = -6;
constexpr int kHoverShiftY = 2;

void PaintBullet(QPainter& painter, QPointF centre)
{
    QRadialGradient ball(centre - QPointF(2.0, 2.5), kBulletRadius * 1.6);
    ball.setColorAt(0.0, QColor(214, 236, 255));
    ball.setColorAt(0.55, QColor(120, 184, 240));
    ball.setColorAt(1.0, QColor(62, 132, 206));
    painter.setPen(QPen(QColor(70, 128, 190), 0.8));
    painter.setBrush(ball);
    painter.drawEllipse(centre, kBulletRadius, kBulletRadius);

    // The white arrow-head points right, slightly right of the centre to look balanced.
    QPainterPath arrow;
    arrow.moveTo(centre + QPointF(-2.0, -3.5));
    arrow.lineTo(centre + QPointF(3.2, 0.0));
    arrow.lineTo(centre + QPointF(-2.0, 3.5));
    arrow.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(arrow);
}
} // namespace

QImage PaintLibraryButton(const QString& caption, ButtonLook look)
{
    QImage image(kLibraryButtonSize, QImage::Format_RGB888);
    image.fill(kBackground);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const bool hover = look == ButtonLook::Hover;
    const QPointF shift = hover ? QPointF(kHoverShiftX, kHoverShiftY) : QPointF(0, 0);
    const double centreY = kLibraryButtonSize.height() / 2.0;

    const QPointF bulletCentre = QPointF(kRestingBulletX, centreY) + shift;
    PaintBullet(painter, bulletCentre);

    painter.setFont(CaptionFont(14));
    painter.setPen(hover ? kHoverCaption : kRestingCaption);
    DrawTextCentredOn(painter, caption, bulletCentre.x() + kBulletRadius + kCaptionGap - 4.0,
                      bulletCentre.y());
    painter.end();
    return image;
}
