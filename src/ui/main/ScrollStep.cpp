#include "ui/main/ScrollStep.h"

#include <algorithm>

int NextScrollPosition(ScrollRequest request, int position, const ScrollRange& range, int thumb)
{
    const int largest = range.largest();
    int next = position;
    switch (request) {
    case ScrollRequest::LineUp:
        next = position - kScrollLineStep;
        if (next < range.min) {
            next = 0;
        }
        break;
    case ScrollRequest::LineDown:
        next = position + kScrollLineStep;
        if (next > largest) {
            next = largest;
        }
        break;
    case ScrollRequest::PageUp:
        next = position - range.page;
        if (next < range.min) {
            next = 0;
        }
        break;
    case ScrollRequest::PageDown:
        next = position + range.page;
        if (next > largest) {
            next = largest;
        }
        break;
    case ScrollRequest::ThumbTrack:
        next = thumb;
        break;
    case ScrollRequest::ThumbPosition:
    case ScrollRequest::Top:
    case ScrollRequest::Bottom:
    case ScrollRequest::EndScroll:
        break;
    }
    return next;
}

ScrollBarLayout ScrollBarLayoutFor(int cw, int ch, int contentBottom)
{
    ScrollBarLayout layout;
    layout.rect = QRect(cw * 98 / 100, ch / 100, 3 * cw / 200, ch * 98 / 100);
    layout.range.min = 0;
    // The largest position is max - page: the window then shows the content from max - ch to
    // max, so a range of contentBottom is just enough to reach the lowest control.
    layout.range.max = std::max(9 * ch / 5, contentBottom);
    layout.range.page = ch;
    return layout;
}
