#include "IconArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

QImage PaintAppIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Everything below is drawn on a 256-unit grid.
    painter.scale(size / 256.0, size / 256.0);

    // Tile.
    QPainterPath tile;
    tile.addRoundedRect(QRectF(12, 12, 232, 232), 44, 44);
    QLinearGradient tileFill(QPointF(0, 12), QPointF(0, 244));
    tileFill.setColorAt(0.0, QColor(62, 170, 148));
    tileFill.setColorAt(1.0, QColor(24, 106, 92));
    painter.fillPath(tile, tileFill);

    // Sheet with a shadow and a folded corner.
    QPainterPath sheet;
    sheet.moveTo(66, 40);
    sheet.lineTo(164, 40);
    sheet.lineTo(194, 70);
    sheet.lineTo(194, 214);
    sheet.lineTo(66, 214);
    sheet.closeSubpath();
    painter.fillPath(sheet.translated(5, 6), QColor(0, 40, 30, 70));
    painter.fillPath(sheet, QColor(250, 253, 251));

    QPainterPath fold;
    fold.moveTo(164, 40);
    fold.lineTo(164, 70);
    fold.lineTo(194, 70);
    fold.closeSubpath();
    painter.fillPath(fold, QColor(200, 226, 216));

    // Title bar and text lines.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(31, 122, 106));
    painter.drawRoundedRect(QRectF(96, 62, 58, 10), 5, 5);
    painter.setBrush(QColor(170, 190, 184));
    const double lines[][2] = {{84, 176}, {84, 176}, {84, 176}, {84, 150}};
    double y = 92;
    for (const auto& line : lines) {
        painter.drawRoundedRect(QRectF(line[0], y, line[1] - line[0], 7), 3.5, 3.5);
        y += 18;
    }

    // Seal: a red ring with a star, overlapping the lower right of the sheet.
    const QPointF seal(160, 178);
    QRadialGradient sealFill(seal - QPointF(6, 6), 34);
    sealFill.setColorAt(0.0, QColor(238, 74, 60, 235));
    sealFill.setColorAt(1.0, QColor(196, 34, 30, 235));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QBrush(sealFill), 6));
    painter.drawEllipse(seal, 25, 25);
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const double angle = -M_PI / 2 + i * M_PI / 5;
        const double r = (i % 2 == 0) ? 13.0 : 5.5;
        const QPointF p = seal + QPointF(r * std::cos(angle), r * std::sin(angle));
        if (i == 0) {
            star.moveTo(p);
        } else {
            star.lineTo(p);
        }
    }
    star.closeSubpath();
    painter.fillPath(star, QColor(210, 44, 36, 235));
    painter.end();
    return image;
}
