#pragma once

#include <QRect>

// The main window's own scroll bar, in the terms of a Windows scroll bar: a range and a page,
// with the largest position reachable by line and page steps being max - page - min.
struct ScrollRange
{
    int min = 0;
    int max = 0;
    int page = 0;

    int largest() const { return max - page - min; }
};

enum class ScrollRequest
{
    LineUp,
    LineDown,
    PageUp,
    PageDown,
    ThumbTrack,
    ThumbPosition, // the thumb was released
    Top,
    Bottom,
    EndScroll,
};

inline constexpr int kScrollLineStep = 10;
inline constexpr int kWheelNotch = 120;

// The position a scroll request leads to from `position`; `thumb` is the thumb position a
// ThumbTrack request carries.
int NextScrollPosition(ScrollRequest request, int position, const ScrollRange& range, int thumb);

// Where the scroll bar goes in a window whose client area is cw x ch pixels, and its range.
// The range runs to 9 * ch / 5; on a screen so low that this stops short of `contentBottom`
// (the lowest control's bottom edge, in the content's own pixels), it runs to contentBottom
// instead, so that the largest position shows the last row of pixels of every control.
struct ScrollBarLayout
{
    QRect rect;
    ScrollRange range;
};
ScrollBarLayout ScrollBarLayoutFor(int cw, int ch, int contentBottom = 0);
