#include "print/CertificatePageLayout.h"
#include "FakePageCanvas.h"

#include <gtest/gtest.h>

namespace {

// A printable area of 4760 x 6814 device units at 600 dpi (and half of it at 300 dpi). The
// expected device positions below are worked out by hand from the 581 x 815 grid:
// 600 dpi: title (1867, 844), body x 442, y 176 -> 1471, 205 -> 1713, 234 -> 1956, 263 -> 2198;
//          body font 125, advance (2 * 125) * 815 / 6814 = 29, column 4760 * 473 / 581 = 3875,
//          which is exactly 31 body characters.
// 300 dpi: title (933, 422), body x 221, y 176 -> 735, 205 -> 856; body font 62, advance 29,
//          column 1937, which holds 31 characters (1922) but not 32 (1984).
const PageRect kPage600{0, 0, 4760, 6814};
const PageRect kPage300{0, 0, 2380, 3407};

const QString kHan = QStringLiteral("证");
const QString kSpace = QString(QChar(0x3000));

struct Page
{
    explicit Page(int dpi, const PageRect& rect) : canvas(dpi, dpi) { layout.setPageRect(rect); }
    void draw(const QString& text) { layout.draw(canvas, text); }

    FakePageCanvas canvas;
    CertificatePageLayout layout;
};

QStringList texts(const QList<FakePageCanvas::Draw>& draws)
{
    QStringList result;
    for (const auto& d : draws) {
        result.append(d.text);
    }
    return result;
}

QList<int> ys(const QList<FakePageCanvas::Draw>& draws)
{
    QList<int> result;
    for (const auto& d : draws) {
        result.append(d.y);
    }
    return result;
}

} // namespace

TEST(PageFontScaling, ScalesFromNinetySixDpiAndTruncates)
{
    const PageFont& title = CertificatePageLayout::kTitleFont;
    const PageFont& body = CertificatePageLayout::kBodyFont;
    const auto height = [](const PageFont& font, int dpiX, int dpiY) {
        return CertificatePageLayout::scaledFont(font, dpiX, dpiY).height;
    };
    EXPECT_EQ(height(title, 600, 600), 193);
    EXPECT_EQ(height(body, 600, 600), 125);
    EXPECT_EQ(height(title, 300, 300), 96);
    EXPECT_EQ(height(body, 300, 300), 62);
    EXPECT_EQ(height(title, 96, 96), 31);
    // 31 * 1.25 = 38.75
    EXPECT_EQ(height(title, 600, 120), 38);
    const PageFont scaled = CertificatePageLayout::scaledFont(body, 600, 600);
    EXPECT_EQ(scaled.width, 0);
    EXPECT_EQ(scaled.weight, 400);
    EXPECT_EQ(scaled.face, QStringLiteral("宋体"));
}

TEST(CertificatePageLayout, TitleAndFirstLineAt600Dpi)
{
    Page page(600, kPage600);
    page.draw(QStringLiteral("\r\n\r\n\r\n兹证明张三"));
    ASSERT_EQ(page.canvas.draws.size(), 2);
    const auto& title = page.canvas.draws[0];
    EXPECT_EQ(title.text, QStringLiteral("离职证明"));
    EXPECT_EQ(title.x, 1867);
    EXPECT_EQ(title.y, 844);
    EXPECT_EQ(title.fontHeight, 193);
    EXPECT_EQ(title.fontWeight, 700);
    const auto& line = page.canvas.draws[1];
    EXPECT_EQ(line.text, QStringLiteral("兹证明张三"));
    EXPECT_EQ(line.x, 442);
    EXPECT_EQ(line.y, 1471);
    EXPECT_EQ(line.fontHeight, 125);
    EXPECT_EQ(line.fontWeight, 400);
    EXPECT_EQ(page.layout.lineAdvance(), 29);
}

TEST(CertificatePageLayout, TitleAndLinesAt300Dpi)
{
    Page page(300, kPage300);
    page.draw(QStringLiteral("第一行\r\n第二行"));
    ASSERT_EQ(page.canvas.draws.size(), 3);
    EXPECT_EQ(page.canvas.draws[0].x, 933);
    EXPECT_EQ(page.canvas.draws[0].y, 422);
    EXPECT_EQ(page.canvas.draws[0].fontHeight, 96);
    EXPECT_EQ(page.canvas.draws[1].x, 221);
    EXPECT_EQ(page.canvas.draws[1].y, 735);
    EXPECT_EQ(page.canvas.draws[1].fontHeight, 62);
    EXPECT_EQ(page.canvas.draws[2].y, 856);
}

// The line advance comes from the body font's cell height as the page asks for it at the
// device's resolution (20 x dpi / 96, truncated), whatever height the font engine reports for
// the font it fitted: engines round the cell to their own pixels, and at 1200 dpi one unit less
// made the advance 28 instead of 29. Each row's device reports a height one unit off.
struct EngineRoundingCase
{
    int dpi;
    PageRect page;
    int engineError; // what the device's font engine adds to the height asked for
    int advance;
    QList<int> deviceYs; // body lines 1, 2, 4, 5, 6, 7, 8; line 3 is blank
};

class LineAdvanceAtPrinterResolutions : public ::testing::TestWithParam<EngineRoundingCase>
{
};

TEST_P(LineAdvanceAtPrinterResolutions, FollowsTheFontHeightAskedFor)
{
    const EngineRoundingCase& c = GetParam();
    Page page(c.dpi, c.page);
    page.canvas.extraHeight = c.engineError;
    page.draw(QStringLiteral("\r\n一\r\n二\r\n\r\n四\r\n五\r\n六\r\n七\r\n八"));
    EXPECT_EQ(page.layout.lineAdvance(), c.advance);
    EXPECT_EQ(ys(page.canvas.bodyDraws()), c.deviceYs);
}

// 300 dpi: body font 62, 124 * 815 / 3407 = 29 (the engine's 63 would give 30).
// 600 dpi: body font 125, 250 * 815 / 6814 = 29 (126 would give 30).
// 1200 dpi, a whole A4 sheet (9921 x 14031): body font 250, 500 * 815 / 14031 = 29 (249 would
// give 28). Page y 176, 205, 263, 292, 321, 350, 379 times 14031 / 815, truncated.
INSTANTIATE_TEST_SUITE_P(
    CertificatePageLayout, LineAdvanceAtPrinterResolutions,
    ::testing::Values(
        EngineRoundingCase{300, kPage300, +1, 29, {735, 856, 1099, 1220, 1341, 1463, 1584}},
        EngineRoundingCase{600, kPage600, +1, 29, {1471, 1713, 2198, 2441, 2683, 2926, 3168}},
        EngineRoundingCase{
            1200, PageRect{0, 0, 9921, 14031}, -1, 29, {3030, 3529, 4527, 5027, 5526, 6025, 6524}}),
    [](const ::testing::TestParamInfo<EngineRoundingCase>& info) {
        return std::to_string(info.param.dpi) + "dpi_" + (info.param.engineError < 0 ? "m" : "p") +
               std::to_string(std::abs(info.param.engineError));
    });

TEST(CertificatePageLayout, TitleStaysPutWhateverTheText)
{
    for (const QString& text : {QString(), QStringLiteral("离职证明"),
                                QString(kHan).repeated(500) + QStringLiteral("\r\n\r\n")}) {
        Page page(600, kPage600);
        page.draw(text);
        ASSERT_FALSE(page.canvas.draws.isEmpty());
        EXPECT_EQ(page.canvas.draws[0].text, QStringLiteral("离职证明"));
        EXPECT_EQ(page.canvas.draws[0].x, 1867);
        EXPECT_EQ(page.canvas.draws[0].y, 844);
    }
}

TEST(CertificatePageLayout, EmptyTextGivesTitleOnly)
{
    for (const QString& text :
         {QString(), QStringLiteral("\r\n"), QStringLiteral("\r\n\r\n\r\n")}) {
        Page page(600, kPage600);
        page.draw(text);
        EXPECT_EQ(texts(page.canvas.draws), QStringList{QStringLiteral("离职证明")}) << text.size();
    }
}

TEST(CertificatePageLayout, LeadingLineBreaksAreDropped)
{
    for (int breaks : {0, 1, 3, 10}) {
        Page page(600, kPage600);
        page.draw(QStringLiteral("\r\n").repeated(breaks) + QStringLiteral("兹证明"));
        const auto body = page.canvas.bodyDraws();
        ASSERT_EQ(body.size(), 1) << breaks;
        EXPECT_EQ(body[0].y, 1471) << breaks;
        EXPECT_EQ(body[0].text, QStringLiteral("兹证明"));
    }
}

TEST(CertificatePageLayout, LoneCarriageReturnIsOrdinaryText)
{
    Page page(600, kPage600);
    page.draw(QStringLiteral("\r甲\n乙"));
    EXPECT_EQ(texts(page.canvas.bodyDraws()), QStringList{QStringLiteral("\r甲\n乙")});
}

TEST(CertificatePageLayout, BlankLineTakesOneFullAdvance)
{
    Page page(600, kPage600);
    page.draw(QStringLiteral("甲\r\n\r\n乙\r\n丙"));
    const auto body = page.canvas.bodyDraws();
    EXPECT_EQ(texts(body),
              (QStringList{QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")}));
    // 176, (blank at 205), 234, 263
    EXPECT_EQ(ys(body), (QList<int>{1471, 1956, 2198}));
}

TEST(CertificatePageLayout, TrailingLineBreakDrawsNothingAfter)
{
    Page page(600, kPage600);
    page.draw(QStringLiteral("甲\r\n乙\r\n"));
    EXPECT_EQ(texts(page.canvas.bodyDraws()),
              (QStringList{QStringLiteral("甲"), QStringLiteral("乙")}));
}

TEST(CertificatePageLayout, ExternalLeadingCountsOnceInTheAdvance)
{
    Page page(600, kPage600);
    page.canvas.leading = 7;
    page.draw(QStringLiteral("甲\r\n乙"));
    // (2 * 125 + 7) * 815 / 6814 = 30, so the second line sits at 206 -> 1722.
    EXPECT_EQ(page.layout.lineAdvance(), 30);
    EXPECT_EQ(ys(page.canvas.bodyDraws()), (QList<int>{1471, 1722}));
}

TEST(CertificatePageLayout, ParagraphExactlyAsWideAsTheColumnStaysWhole)
{
    Page page(600, kPage600);
    page.draw(kHan.repeated(31));
    const auto body = page.canvas.bodyDraws();
    ASSERT_EQ(body.size(), 1);
    EXPECT_EQ(body[0].text.size(), 31);
}

TEST(CertificatePageLayout, OneCharacterWiderStopsBeforeTheCharacterThatReachesTheColumn)
{
    Page page(600, kPage600);
    const QString paragraph =
        QStringLiteral("一二三四五六七八九十").repeated(3) + QStringLiteral("甲乙");
    page.draw(paragraph);
    const auto body = page.canvas.bodyDraws();
    // The 31st character brings the line to the column width, so the line is the first 30.
    EXPECT_EQ(texts(body), (QStringList{paragraph.left(30), QStringLiteral("甲乙")}));
    EXPECT_EQ(ys(body), (QList<int>{1471, 1713}));
    EXPECT_EQ(body[0].x, 442);
    EXPECT_EQ(body[1].x, 442);
}

TEST(CertificatePageLayout, OneCharacterWiderAt300Dpi)
{
    Page page(300, kPage300);
    page.draw(kHan.repeated(31));
    EXPECT_EQ(page.canvas.bodyDraws().size(), 1);
    Page wider(300, kPage300);
    wider.draw(kHan.repeated(32));
    const auto body = wider.canvas.bodyDraws();
    // 32 characters measure 1984 >= 1937: the line is the 31 before the 32nd.
    ASSERT_EQ(body.size(), 2);
    EXPECT_EQ(body[0].text.size(), 31);
    EXPECT_EQ(body[1].text.size(), 1);
}

TEST(CertificatePageLayout, LongParagraphWrapsAndNextParagraphFollowsOneAdvanceBelow)
{
    Page page(600, kPage600);
    QString paragraph;
    for (int i = 0; i < 100; ++i) {
        paragraph += QChar(0x4E00 + i);
    }
    page.draw(paragraph + QStringLiteral("\r\n下一段"));
    const auto body = page.canvas.bodyDraws();
    EXPECT_EQ(texts(body),
              (QStringList{paragraph.mid(0, 30), paragraph.mid(30, 30), paragraph.mid(60, 30),
                           paragraph.mid(90), QStringLiteral("下一段")}));
    // 176, 205, 234, 263, then the next paragraph at 292.
    EXPECT_EQ(ys(body), (QList<int>{1471, 1713, 1956, 2198, 2441}));
    for (const auto& d : body) {
        EXPECT_EQ(d.x, 442);
    }
}

TEST(CertificatePageLayout, RightBlockLinesKeepTheirIdeographicSpaces)
{
    Page page(600, kPage600);
    const QString company = kSpace.repeated(20) + QStringLiteral("某某公司");
    const QString date = kSpace.repeated(22) + QStringLiteral("二〇二四");
    const QString tooWide = kSpace.repeated(28) + QStringLiteral("某某有限公司");
    page.draw(company + QStringLiteral("\r\n") + date + QStringLiteral("\r\n") + tooWide);
    const auto body = page.canvas.bodyDraws();
    // The third line is 34 wide with its spaces: it wraps after 30 like any other text.
    EXPECT_EQ(texts(body), (QStringList{company, date, tooWide.left(30), tooWide.mid(30)}));
    EXPECT_EQ(body[0].x, 442);
}

TEST(CertificatePageLayout, CharacterWiderThanTheColumnTakesALineOfItsOwn)
{
    // A page so narrow that the column (100 * 473 / 581 = 81) is narrower than one character:
    // every line still takes one character and the paragraph ends.
    Page page(600, PageRect{0, 0, 100, 6814});
    page.draw(QStringLiteral("甲乙丙\r\n丁"));
    const auto body = page.canvas.bodyDraws();
    EXPECT_EQ(texts(body), (QStringList{QStringLiteral("甲"), QStringLiteral("乙"),
                                        QStringLiteral("丙"), QStringLiteral("丁")}));
    EXPECT_EQ(ys(body), (QList<int>{1471, 1713, 1956, 2198}));
}

TEST(CertificatePageLayout, SingleOverwideCharacterAddsNoBlankLine)
{
    Page page(600, PageRect{0, 0, 100, 6814});
    page.draw(QStringLiteral("甲\r\n乙"));
    EXPECT_EQ(ys(page.canvas.bodyDraws()), (QList<int>{1471, 1713}));
}

TEST(CertificatePageLayout, SurrogatePairIsNeverSplit)
{
    Page page(600, kPage600);
    const QString wide = QString::fromUcs4(U"\U00020000"); // one character, two UTF-16 units
    // Thirty characters, then the pair as the 31st: the pair itself reaches the column.
    const QString paragraph = kHan.repeated(30) + wide + QStringLiteral("尾");
    page.draw(paragraph);
    EXPECT_EQ(texts(page.canvas.bodyDraws()),
              (QStringList{kHan.repeated(30), wide + QStringLiteral("尾")}));
}

TEST(CertificatePageLayout, SurrogatePairWiderThanTheColumnStaysWhole)
{
    Page page(600, PageRect{0, 0, 100, 6814});
    const QString wide = QString::fromUcs4(U"\U0002A6A5");
    page.draw(wide + wide + QStringLiteral("甲"));
    EXPECT_EQ(texts(page.canvas.bodyDraws()), (QStringList{wide, wide, QStringLiteral("甲")}));
}

TEST(CertificatePageLayout, SameCertificateAtTwoResolutionsHasTheSameLines)
{
    const QString text = QStringLiteral("\r\n\r\n\r\n") + kHan.repeated(75) +
                         QStringLiteral("\r\n\r\n") + kSpace.repeated(20) +
                         QStringLiteral("某某公司");
    Page high(600, kPage600);
    high.draw(text);
    Page low(300, kPage300);
    low.draw(text);
    const auto a = high.canvas.bodyDraws();
    const auto b = low.canvas.bodyDraws();
    ASSERT_EQ(a.size(), b.size());
    for (qsizetype i = 0; i < a.size(); ++i) {
        // Half the resolution, half the position, give or take a unit of truncation.
        EXPECT_NEAR(a[i].y, 2 * b[i].y, 2) << i;
        EXPECT_NEAR(a[i].x, 2 * b[i].x, 2) << i;
    }
}

TEST(CertificatePageLayout, TextBlockStepsByHeightAndTwiceTheLeading)
{
    FakePageCanvas canvas(600, 600);
    canvas.leading = 5;
    CertificatePageLayout layout;
    layout.drawTextBlock(canvas, 10, 20, CertificatePageLayout::kTitleFont,
                         QStringLiteral("甲\r\n乙\r\n丙"));
    EXPECT_EQ(texts(canvas.draws),
              (QStringList{QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")}));
    // 193 + 2 * 5
    EXPECT_EQ(ys(canvas.draws), (QList<int>{20, 223, 426}));
}

TEST(CertificatePageLayout, PageWithoutHeightDoesNotCrash)
{
    Page page(600, PageRect{0, 0, 4760, 0});
    page.draw(QStringLiteral("甲\r\n乙"));
    EXPECT_EQ(page.layout.lineAdvance(), 0);
    EXPECT_EQ(page.canvas.bodyDraws().size(), 2);
}

TEST(CertificatePageLayout, LayoutWithoutPageHasAnEmptyRectangle)
{
    // Every print pass sets the printable rectangle; before one, there is no page.
    CertificatePageLayout layout;
    EXPECT_EQ(layout.pageRect().width(), 0);
    EXPECT_EQ(layout.pageRect().height(), 0);
    EXPECT_EQ(layout.lineAdvance(), 0);
}
