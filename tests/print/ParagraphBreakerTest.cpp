#include "print/ParagraphBreaker.h"
#include "FakePageCanvas.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

// The line breaking done the slow, obvious way: try the prefixes of one, two, three ...
// characters until one reaches the column, cut before that character (keeping at least one),
// stop when what is left is no wider than the column.
QStringList referenceBreak(const PageCanvas& canvas, const QString& paragraph, qint64 avail)
{
    const QList<uint> chars = paragraph.toUcs4();
    auto toText = [&](qsizetype from, qsizetype count) {
        return QString::fromUcs4(reinterpret_cast<const char32_t*>(chars.constData() + from),
                                 count);
    };
    QStringList lines;
    qsizetype first = 0;
    while (avail > 0 && canvas.textWidth(toText(first, chars.size() - first)) > avail) {
        qsizetype n = 1;
        while (canvas.textWidth(toText(first, n)) < avail) {
            ++n;
        }
        const qsizetype count = std::max<qsizetype>(n - 1, 1);
        if (first + count == chars.size()) {
            break;
        }
        lines.append(toText(first, count));
        first += count;
    }
    lines.append(toText(first, chars.size() - first));
    return lines;
}

QStringList toStrings(const QList<QStringView>& views)
{
    QStringList result;
    for (QStringView v : views) {
        result.append(v.toString());
    }
    return result;
}

// Characters of uneven widths, some of them outside the Basic Multilingual Plane.
QString randomParagraph(QRandomGenerator& random, int length)
{
    QString text;
    for (int i = 0; i < length; ++i) {
        const quint32 pick = random.bounded(20);
        if (pick == 0) {
            text += QString::fromUcs4(U"\U00020000");
        } else if (pick < 5) {
            text += QChar(u'a' + random.bounded(26));
        } else {
            text += QChar(0x4E00 + random.bounded(400));
        }
    }
    return text;
}

void useUnevenWidths(FakePageCanvas& canvas)
{
    canvas.charWidth = [](char32_t c, const PageFont&) {
        if (c < 0x80) {
            return int(3 + c % 5);
        }
        if (c > 0xFFFF) {
            return 21;
        }
        return int(10 + c % 7);
    };
}

} // namespace

TEST(ParagraphBreaker, FindsTheSameLinesAsTryingEveryPrefix)
{
    QRandomGenerator random(20240501);
    FakePageCanvas canvas(600, 600);
    useUnevenWidths(canvas);
    for (int round = 0; round < 300; ++round) {
        const QString paragraph = randomParagraph(random, 1 + int(random.bounded(200)));
        // Narrow columns, ones narrower than a character, and wide ones.
        const qint64 avail = 1 + random.bounded(round % 3 == 0 ? 25 : 400);
        EXPECT_EQ(toStrings(BreakParagraph(canvas, paragraph, avail)),
                  referenceBreak(canvas, paragraph, avail))
            << "round " << round << " avail " << avail;
    }
}

TEST(ParagraphBreaker, ExactFitsAgreeWithTryingEveryPrefix)
{
    // Equal widths, so prefixes land exactly on the column width again and again.
    FakePageCanvas canvas(600, 600);
    canvas.charWidth = [](char32_t, const PageFont&) { return 10; };
    QRandomGenerator random(7);
    for (int round = 0; round < 100; ++round) {
        const QString paragraph = randomParagraph(random, 1 + int(random.bounded(120)));
        const qint64 avail = 10 * (1 + random.bounded(12));
        EXPECT_EQ(toStrings(BreakParagraph(canvas, paragraph, avail)),
                  referenceBreak(canvas, paragraph, avail))
            << "round " << round;
    }
}

TEST(ParagraphBreaker, ZeroWidthCharactersAfterAnExactFitStayOnTheLine)
{
    FakePageCanvas canvas(600, 600);
    canvas.charWidth = [](char32_t c, const PageFont&) { return c == 0x200B ? 0 : 10; };
    const QString fits = QStringLiteral("甲乙丙") + QChar(0x200B) + QChar(0x200B);
    EXPECT_EQ(toStrings(BreakParagraph(canvas, fits, 30)), QStringList{fits});
    const QString over = fits + QStringLiteral("丁");
    EXPECT_EQ(toStrings(BreakParagraph(canvas, over, 30)), referenceBreak(canvas, over, 30));
}

TEST(ParagraphBreaker, NoColumnMeansOneLine)
{
    FakePageCanvas canvas(600, 600);
    canvas.selectFont(PageFont{QStringLiteral("宋体"), 10, 0, 400});
    const QString paragraph = QStringLiteral("甲乙丙丁");
    EXPECT_EQ(toStrings(BreakParagraph(canvas, paragraph, 0)), QStringList{paragraph});
    EXPECT_EQ(toStrings(BreakParagraph(canvas, paragraph, -5)), QStringList{paragraph});
}

TEST(ParagraphBreaker, LongParagraphNeedsFewMeasurementsPerLine)
{
    FakePageCanvas canvas(600, 600);
    canvas.selectFont(PageFont{QStringLiteral("宋体"), 125, 0, 400});
    const QString paragraph = QStringLiteral("证").repeated(20000);
    canvas.measureCount = 0;
    const auto lines = BreakParagraph(canvas, paragraph, 3875);
    // 30 characters a line (31 reach the column exactly).
    ASSERT_EQ(lines.size(), 667);
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        ASSERT_EQ(lines[i].size(), 30) << i;
    }
    EXPECT_EQ(lines.last().size(), 20000 - 666 * 30);
    // Trying every prefix would measure about 31 times per line.
    EXPECT_LT(canvas.measureCount, 6 * lines.size());
}
