#include "ui/controls/LineWidth.h"

#include "compose/CertificateComposer.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>

int MeasureLineWidth(QPlainTextEdit* box)
{
    box->setPlainText(Compose::widthProbe());
    const QTextBlock block = box->document()->firstBlock();
    // The box lays its text out lazily (at the next paint); ask for the first block now, at
    // the width the box gives its text.
    if (auto* layout = qobject_cast<QPlainTextDocumentLayout*>(box->document()->documentLayout())) {
        layout->ensureBlockLayout(block);
    }
    const QTextLayout* textLayout = block.layout();
    if (!textLayout || textLayout->lineCount() == 0) {
        return 0;
    }
    return qMin(textLayout->lineAt(0).textLength(), Compose::kMaxLineWidth);
}

int LineEditWidthFor(const QLineEdit* box, const QString& text)
{
    // What the box keeps off each side of its text inside its contents: a fixed margin of 2.
    constexpr int kInnerMargin = 2;
    const QFontMetrics metrics(box->font());
    const int glyphs = metrics.horizontalAdvance(text) + 1 /* cursor */ +
                       std::max(0, -metrics.minLeftBearing()) +
                       std::max(0, -metrics.minRightBearing());
    // The frame: what the style takes off the contents of a box of the box's present size, as
    // the box asks when it paints.
    QStyleOptionFrame option;
    option.initFrom(box);
    option.rect = box->contentsRect();
    option.lineWidth = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    if (box->hasFrame()) {
        option.features = QStyleOptionFrame::None;
    } else {
        option.lineWidth = 0;
    }
    const QRect contents = box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box);
    const int frame = option.rect.width() - contents.width();
    const QMargins textMargins = box->textMargins();
    const QMargins widgetMargins = box->contentsMargins();
    return glyphs + 2 * kInnerMargin + frame + textMargins.left() + textMargins.right() +
           widgetMargins.left() + widgetMargins.right();
}
