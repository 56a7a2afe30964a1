#include "ui/main/ScrollStep.h"

#include <gtest/gtest.h>

namespace {

TEST(ScrollStep, AClientHeightOf600GivesRange1080Page600AndLargest480)
{
    const ScrollBarLayout layout = ScrollBarLayoutFor(800, 600);
    EXPECT_EQ(layout.range.min, 0);
    EXPECT_EQ(layout.range.max, 1080);
    EXPECT_EQ(layout.range.page, 600);
    EXPECT_EQ(layout.range.largest(), 480);
    // x = 98 % of the width, y = 1 % of the height, 1.5 % wide, 98 % high.
    EXPECT_EQ(layout.rect, QRect(784, 6, 12, 588));
}

TEST(ScrollStep, PlacementTruncatesTowardZero)
{
    const ScrollBarLayout layout = ScrollBarLayoutFor(1279, 999);
    EXPECT_EQ(layout.rect, QRect(1253, 9, 19, 979)); // 125342/100, 999/100, 3837/200, 97902/100
    EXPECT_EQ(layout.range.max, 1798);               // 8991 / 5
}

TEST(ScrollStep, ALowScreenGrowsTheRangeJustToTheLowestControl)
{
    // 1366 x 768 less a title bar: 9 * 740 / 5 = 1332 stops short of controls reaching 1500.
    const ScrollBarLayout low = ScrollBarLayoutFor(1366, 740, 1500);
    EXPECT_EQ(low.range.max, 1500);
    EXPECT_EQ(low.range.page, 740);
    EXPECT_EQ(low.range.largest(), 760); // shows rows 760..1499: the last one is the bottom
    EXPECT_EQ(low.rect, QRect(1338, 7, 20, 725));
    // Controls that end exactly at 9 * ch / 5 are reached already: nothing grows.
    EXPECT_EQ(ScrollBarLayoutFor(1366, 740, 1332).range.max, 1332);
    EXPECT_EQ(ScrollBarLayoutFor(1366, 740, 1333).range.max, 1333);
}

TEST(ScrollStep, WhereTheRangeCoversTheControlsItStaysAsItWas)
{
    EXPECT_EQ(ScrollBarLayoutFor(1920, 1050, 1500).range.max, 1890);
    EXPECT_EQ(ScrollBarLayoutFor(1920, 1050, 1500).range.largest(), 840);
    EXPECT_EQ(ScrollBarLayoutFor(800, 600, 0).range.max, 1080);
    EXPECT_EQ(ScrollBarLayoutFor(800, 600, 1080).range.max, 1080);
}

struct Step
{
    ScrollRequest request;
    int from;
    int thumb;
    int expected;
};

TEST(ScrollStep, EachRequestMovesAndStopsAtTheEnds)
{
    const ScrollRange range{0, 1080, 600};
    const Step steps[] = {
        {ScrollRequest::LineDown, 0, 0, 10},
        {ScrollRequest::LineDown, 470, 0, 480},
        {ScrollRequest::LineDown, 475, 0, 480},
        {ScrollRequest::LineDown, 480, 0, 480},
        {ScrollRequest::LineUp, 480, 0, 470},
        {ScrollRequest::LineUp, 5, 0, 0},
        {ScrollRequest::LineUp, 0, 0, 0},
        {ScrollRequest::PageDown, 0, 0, 480},
        {ScrollRequest::PageDown, 100, 0, 480},
        {ScrollRequest::PageUp, 480, 0, 0},
        {ScrollRequest::PageUp, 0, 0, 0},
        {ScrollRequest::ThumbTrack, 0, 123, 123},
        {ScrollRequest::ThumbPosition, 200, 77, 200},
        {ScrollRequest::Top, 200, 0, 200},
        {ScrollRequest::Bottom, 200, 0, 200},
        {ScrollRequest::EndScroll, 200, 0, 200},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(NextScrollPosition(s.request, s.from, range, s.thumb), s.expected)
            << "request " << static_cast<int>(s.request) << " from " << s.from;
    }
}

TEST(ScrollStep, APageLargerThanTheRangeStillStopsAtItsLargestPosition)
{
    // A large page from a tall window: page steps land on the largest position, which is
    // max - page - min, and going up lands on 0.
    const ScrollRange range{0, 1800, 1000};
    EXPECT_EQ(NextScrollPosition(ScrollRequest::PageDown, 0, range, 0), 800);
    EXPECT_EQ(NextScrollPosition(ScrollRequest::PageDown, 700, range, 0), 800);
    EXPECT_EQ(NextScrollPosition(ScrollRequest::PageUp, 799, range, 0), 0);
}

} // namespace
