#pragma once

// The printable rectangle of a print pass in device units, kept as the four edges so that the
// page arithmetic reads exactly as right - left and bottom - top. Nothing forces bottom > top.
struct PageRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
};
