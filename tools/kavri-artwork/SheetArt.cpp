#include "SheetArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {
const QColor kSheet(223, 241, 234);
const QColor kEdge(170, 200, 188);
constexpr int kShadowRight = 5;
constexpr int kShadowBottom = 6;
} // namespace

QImage PaintTemplateSheet(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF paper(0.5, 0.5, size.width() - kShadowRight - 1.0,
                       size.height() - kShadowBottom - 1.0);
    // The corner stays out of the name band's width (15-85 %) and above the preview band.
    const double fold = qMin(paper.width() * 0.11, paper.height() * 0.13);

    QPainterPath outline;
    outline.moveTo(paper.topLeft());
    outline.lineTo(paper.right() - fold, paper.top());
    outline.lineTo(paper.right(), paper.top() + fold);
    outline.lineTo(paper.bottomRight());
    outline.lineTo(paper.bottomLeft());
    outline.closeSubpath();

    // Soft shadow: the outline drawn several times, offset and fading out.
    for (int i = kShadowBottom; i >= 1; --i) {
        const int alpha = 14 + (kShadowBottom - i) * 7;
        painter.fillPath(outline.translated(i * 0.8, i), QColor(40, 70, 60, alpha / 2));
    }

    painter.fillPath(outline, kSheet);
    painter.setPen(QPen(kEdge, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);

    // The folded-over flap, shaded as paper seen from behind, with its own small shadow.
    // Its two free edges bow inward so the corner reads as curled rather than creased.
    const QPointF tip(paper.right() - fold, paper.top() + fold);
    QPainterPath flap;
    flap.moveTo(paper.right() - fold, paper.top());
    flap.quadTo(QPointF(paper.right() - fold * 0.78, paper.top() + fold * 0.55), tip);
    flap.quadTo(QPointF(paper.right() - fold * 0.45, paper.top() + fold * 0.78),
                QPointF(paper.right(), paper.top() + fold));
    flap.closeSubpath();
    painter.fillPath(flap.translated(-1.5, 1.5), QColor(40, 70, 60, 45));
    QLinearGradient flapFill(QPointF(paper.right() - fold, paper.top() + fold),
                             QPointF(paper.right() - fold / 2, paper.top() + fold / 2));
    flapFill.setColorAt(0.0, QColor(250, 253, 251));
    flapFill.setColorAt(1.0, QColor(196, 222, 211));
    painter.fillPath(flap, flapFill);
    painter.setPen(QPen(kEdge, 1.0));
    painter.drawPath(flap);

    // A fine rule between the name and the preview (in the free band from 11 % to 18 %).
    const double ruleY = qRound(size.height() * 0.145) + 0.5;
    QLinearGradient rule(QPointF(paper.left() + paper.width() * 0.06, ruleY),
                         QPointF(paper.right() - paper.width() * 0.06, ruleY));
    rule.setColorAt(0.0, QColor(120, 175, 155, 0));
    rule.setColorAt(0.5, QColor(120, 175, 155, 200));
    rule.setColorAt(1.0, QColor(120, 175, 155, 0));
    painter.setPen(QPen(QBrush(rule), 1.0));
    painter.drawLine(QPointF(paper.left() + paper.width() * 0.06, ruleY),
                     QPointF(paper.right() - paper.width() * 0.06, ruleY));
    painter.end();
    return image;
}
