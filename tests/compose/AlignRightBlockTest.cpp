#include "ComposeTestText.h"
#include "compose/CertificateComposer.h"

#include <gtest/gtest.h>
#include <vector>

using namespace ComposeText;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

std::vector<WidthCase> alignCases()
{
    return {
        {"NoMarkerOnlyBreaks", QStringLiteral("甲<br>乙<br>"), 10, QStringLiteral("甲\r\n乙\r\n")},
        {"NoMarkerKeepsClosingMarker", QStringLiteral("甲</div>乙"), 10,
         QStringLiteral("甲</div>乙")},
        {"MarkersAreCaseSensitive", QStringLiteral("甲<BR>乙<DIV style=\"float: right;\">丙"), 10,
         QStringLiteral("甲<BR>乙<DIV style=\"float: right;\">丙")},
        {"BlockWithoutBreak", QStringLiteral("头") + kOpen + QStringLiteral("尾巴"), 10,
         QStringLiteral("头") + F(8) + QStringLiteral("尾巴")},
        {"BlockEndingInBreak", kOpen + QStringLiteral("甲乙<br>"), 10,
         F(8) + QStringLiteral("甲乙") + kCrLf + F(8)},
        {"EmptyLineDoesNotWiden", kOpen + QStringLiteral("甲<br><br>乙乙乙"), 10,
         F(7) + u'甲' + kCrLf + F(7) + kCrLf + F(7) + QStringLiteral("乙乙乙")},
        {"BlockOfOnlyBreak", kOpen + QStringLiteral("<br>"), 10, F(10) + kCrLf + F(10)},
        {"EmptyBlockStillGetsPad", QStringLiteral("头") + kOpen, 10, QStringLiteral("头") + F(10)},
        {"TextAfterClosingMarkerIsInBlock", kOpen + QStringLiteral("甲<br>乙</div>丙丁戊戊"), 10,
         F(5) + u'甲' + kCrLf + F(5) + QStringLiteral("乙丙丁戊戊")},
        {"HeadKeepsClosingMarker", QStringLiteral("甲</div>乙") + kOpen + QStringLiteral("丙"), 10,
         QStringLiteral("甲</div>乙") + F(9) + u'丙'},
        {"LaterOpeningMarkerDropped", kOpen + u'甲' + kOpen + u'乙', 10,
         F(8) + QStringLiteral("甲乙")},
        {"LineAsWideAsBoxGetsNoPad", kOpen + QStringLiteral("甲乙丙<br>丁"), 3,
         QStringLiteral("甲乙丙\r\n丁")},
        {"LineWiderThanBoxGetsNoPad", kOpen + QStringLiteral("甲乙丙丁<br>戊"), 3,
         QStringLiteral("甲乙丙丁\r\n戊")},
        {"HeadLinesNeverPadded",
         QStringLiteral("头一<br>头二") + kOpen + QStringLiteral("甲<br>乙"), 10,
         QStringLiteral("头一\r\n头二") + F(9) + u'甲' + kCrLf + F(9) + u'乙'},
        {"TypedLineEndIsOrdinaryText", kOpen + QStringLiteral("甲\r\n乙乙"), 10,
         F(5) + QStringLiteral("甲\r\n乙乙")},
        {"HalfWidthCountsAsOne", kOpen + QStringLiteral("abc<br>de"), 10,
         F(7) + QStringLiteral("abc") + kCrLf + F(7) + QStringLiteral("de")},
        {"WidthZero", kOpen + QStringLiteral("甲<br>乙"), 0, QStringLiteral("甲\r\n乙")},
        {"NegativeWidth", kOpen + QStringLiteral("甲<br>乙"), -3, QStringLiteral("甲\r\n乙")},
        {"WidthBeyondProbeIsHeldAt330", kOpen + QStringLiteral("甲"), 400, F(329) + u'甲'},
        {"ClosingMarkerFormedByDroppingOpeningMarker",
         kOpen + QStringLiteral("甲</d") + kOpen + QStringLiteral("iv>乙"), 10,
         F(8) + QStringLiteral("甲乙")},
        {"OpeningMarkerFormedByDroppingClosingMarker",
         kOpen + QStringLiteral("甲<div style=\"fl</div>oat: right;\">乙"), 10,
         F(8) + QStringLiteral("甲乙")},
        {"NestedOpeningMarkers",
         kOpen + QStringLiteral("<div style=\"float: ") + kOpen + QStringLiteral("right;\">甲"), 10,
         F(9) + u'甲'},
        {"BreakAcrossSeamWithoutPad", QStringLiteral("甲<b") + kOpen + QStringLiteral("r>乙乙乙"),
         3, QStringLiteral("甲\r\n乙乙乙")},
        {"PadKeepsSeamApart", QStringLiteral("甲<b") + kOpen + QStringLiteral("r>乙乙乙"), 10,
         QStringLiteral("甲<b") + F(5) + QStringLiteral("r>乙乙乙")},
        {"OpeningMarkerAcrossSeamWithoutPad",
         QStringLiteral("甲<div style=\"flo") + kOpen + QStringLiteral("at: right;\">乙乙乙"), 3,
         QStringLiteral("甲乙乙乙")},
        {"ClosingMarkerAcrossSeamWithoutPad",
         QStringLiteral("甲</di") + kOpen + QStringLiteral("v>乙乙乙"), 3,
         QStringLiteral("甲乙乙乙")},
        {"HeadClosingMarkerBeforeSeamStays",
         QStringLiteral("甲</div>") + kOpen + QStringLiteral(">乙乙乙"), 3,
         QStringLiteral("甲</div>>乙乙乙")},
        {"BreakFormedByDroppingClosingMarker", kOpen + QStringLiteral("甲<b</div>r>乙"), 10,
         F(9) + u'甲' + kCrLf + F(9) + u'乙'},
    };
}

class AlignRightBlockTable : public ::testing::TestWithParam<WidthCase>
{
};

TEST_P(AlignRightBlockTable, AlignsAsExpected)
{
    const WidthCase& c = GetParam();
    EXPECT_EQ(Compose::AlignRightBlock(c.text, c.width), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, AlignRightBlockTable, ::testing::ValuesIn(alignCases()),
                         caseLabel<WidthCase>);

// A block far longer than any delivered template is padded line by line like a short one.
TEST(AlignRightBlock, PadsEveryLineOfATenThousandLineBlock)
{
    constexpr int kLines = 10000;
    QString text = QStringLiteral("头<br>") + kOpen;
    QString expected = QStringLiteral("头\r\n");
    for (int i = 0; i < kLines; ++i) {
        // Line widths 1 to 4; the widest (4) sets the pad of 26 for a box of 30.
        const QString line(1 + i % 4, u'行');
        text += line;
        expected += F(26) + line;
        if (i + 1 < kLines) {
            text += QStringLiteral("<br>");
            expected += kCrLf;
        }
    }
    const QString result = Compose::AlignRightBlock(text, 30);
    ASSERT_EQ(result.size(), expected.size());
    EXPECT_TRUE(result == expected);
    EXPECT_EQ(result.count(kCrLf), kLines);
}

TEST(AlignRightBlock, ThreeLineBlockPadsLikeTheLongOne)
{
    const QString text = kOpen + QStringLiteral("行<br>行行<br>行行行行");
    EXPECT_EQ(Compose::AlignRightBlock(text, 30), F(26) + u'行' + kCrLf + F(26) +
                                                      QStringLiteral("行行") + kCrLf + F(26) +
                                                      QStringLiteral("行行行行"));
}

} // namespace
