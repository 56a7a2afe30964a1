#include "PanelArt.h"

#include "ArtworkText.h"
#include "IconArt.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {
const QColor kTeal(31, 122, 106);
const QColor kInk(40, 48, 46);
const QColor kLink(22, 94, 196);

// The largest caption size up to maxPixels at which text fits into width.
int FittingPixelSize(const QString& text, int maxPixels, double width, bool bold)
{
    int pixels = maxPixels;
    while (pixels > 8 && QFontMetricsF(CaptionFont(pixels, bold)).horizontalAdvance(text) > width) {
        --pixels;
    }
    return pixels;
}
} // namespace

QImage PaintLibraryCaption(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    // An accent bar at the left, the caption beside it, a fading underline below.
    const double barWidth = qMax(3.0, size.height() * 0.12);
    const QRectF bar(1.0, size.height() * 0.18, barWidth, size.height() * 0.58);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kTeal);
    painter.drawRoundedRect(bar, barWidth / 2, barWidth / 2);

    const QString caption = QStringLiteral("基础信息管理");
    const double textX = bar.right() + barWidth * 1.6;
    // Keep the caption inside the picture whatever its width.
    const int pixels =
        FittingPixelSize(caption, qRound(size.height() * 0.47), size.width() - textX - 1, true);
    painter.setFont(CaptionFont(pixels));
    painter.setPen(kTeal.darker(130));
    DrawTextCentredOn(painter, caption, textX, bar.center().y());

    const double lineY = size.height() - 2.5;
    QLinearGradient underline(QPointF(0, lineY), QPointF(size.width(), lineY));
    underline.setColorAt(0.0, kTeal);
    underline.setColorAt(1.0, QColor(kTeal.red(), kTeal.green(), kTeal.blue(), 0));
    painter.setPen(QPen(QBrush(underline), 1.5));
    painter.drawLine(QPointF(1.0, lineY), QPointF(size.width(), lineY));
    painter.end();
    return image;
}

QImage PaintInfoPanel(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    const QRectF card = QRectF(image.rect()).adjusted(0.5, 0.5, -1.5, -1.5);
    const double radius = size.height() * 0.1;
    QPainterPath shape;
    shape.addRoundedRect(card, radius, radius);
    painter.fillPath(shape.translated(1.0, 1.0), QColor(40, 70, 60, 50));
    QLinearGradient fill(card.topLeft(), card.bottomLeft());
    fill.setColorAt(0.0, QColor(248, 252, 250));
    fill.setColorAt(1.0, QColor(223, 241, 234));
    painter.fillPath(shape, fill);
    painter.setPen(QPen(QColor(150, 190, 175), 1.0));
    painter.drawPath(shape);

    const int iconSize = qRound(size.height() * 0.62);
    const QImage icon =
        PaintAppIcon(iconSize * 2)
            .scaled(iconSize, iconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const double iconX = size.height() * 0.17;
    const double iconY = (size.height() - iconSize) / 2.0;
    painter.drawImage(QPointF(iconX, iconY), icon);

    const double textX = iconX + iconSize + size.height() * 0.17;
    const double rowHeight = size.height() / 3.6;
    const double firstRow = size.height() * 0.26;

    painter.setFont(CaptionFont(qRound(rowHeight * 0.95)));
    painter.setPen(kTeal.darker(120));
    DrawTextCentredOn(painter, QStringLiteral("kavri"), textX, firstRow);

    const QString version = QStringLiteral("版本 1.0");
    const QString readme = QStringLiteral("使用说明 · README");
    const int smallPixels = FittingPixelSize(readme, qRound(rowHeight * 0.55),
                                             size.width() - textX - size.height() * 0.1, false);
    painter.setFont(CaptionFont(smallPixels, false));
    painter.setPen(kInk);
    DrawTextCentredOn(painter, version, textX, firstRow + rowHeight * 1.0);

    QFont link = CaptionFont(smallPixels, false);
    link.setUnderline(true);
    painter.setFont(link);
    painter.setPen(kLink);
    DrawTextCentredOn(painter, readme, textX, firstRow + rowHeight * 1.8);
    painter.end();
    return image;
}
