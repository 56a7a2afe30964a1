#include "ui/controls/LineWidth.h"
#include "compose/CertificateComposer.h"

#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace {

// The width the box gives a line of text: its viewport less the document margins.
qreal textWidth(const QPlainTextEdit& box)
{
    return box.viewport()->width() - 2 * box.document()->documentMargin();
}

class LineWidthTest : public ::testing::TestWithParam<int>
{
};

TEST_P(LineWidthTest, CountsTheCharactersTheBoxShowsOnItsFirstLine)
{
    QPlainTextEdit box;
    box.setFont(QFont(QStringLiteral("宋体"), 14));
    box.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box.resize(GetParam(), 200);
    box.show();

    const int width = MeasureLineWidth(&box);
    EXPECT_EQ(box.toPlainText(), Compose::widthProbe()) << "the probe stays in the box";
    ASSERT_GT(width, 0);
    ASSERT_LE(width, 330);

    // What the box shows: the first `width` numerals fit on the line, one more does not.
    const QFontMetricsF metrics(box.font());
    const QString probe = Compose::widthProbe();
    EXPECT_LE(metrics.horizontalAdvance(probe.left(width)), textWidth(box) + 0.5);
    if (width < 330) {
        EXPECT_GT(metrics.horizontalAdvance(probe.left(width + 1)), textWidth(box) - 0.5);
    }

    // And the line the box paints is the same one.
    box.grab();
    const QTextLayout* layout = box.document()->firstBlock().layout();
    ASSERT_GT(layout->lineCount(), 1);
    EXPECT_EQ(layout->lineAt(0).textLength(), width);
}

INSTANTIATE_TEST_SUITE_P(BoxWidths, LineWidthTest, ::testing::Values(120, 333, 517, 1000));

TEST(LineWidth, AWideBoxHoldsTheWholeProbeAndNoMore)
{
    QPlainTextEdit box;
    box.setFont(QFont(QStringLiteral("宋体"), 9));
    box.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box.resize(8000, 100);
    box.show();
    EXPECT_EQ(MeasureLineWidth(&box), 330);
}

TEST(LineWidth, ANarrowerBoxHoldsFewerCharacters)
{
    QPlainTextEdit wide;
    QPlainTextEdit narrow;
    for (QPlainTextEdit* box : {&wide, &narrow}) {
        box->setFont(QFont(QStringLiteral("宋体"), 14));
        box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    }
    wide.resize(600, 100);
    narrow.resize(300, 100);
    wide.show();
    narrow.show();
    const int w = MeasureLineWidth(&wide);
    const int n = MeasureLineWidth(&narrow);
    EXPECT_LT(n, w);
    EXPECT_NEAR(2 * n, w, 3);
}

} // namespace
