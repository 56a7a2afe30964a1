#pragma once

#include <QRect>
#include <QSize>

class QFont;
class QFontMetrics;

// The dialog base units of a dialog font, and the conversion of dialog units into pixels as
// the Windows dialog manager does it: x_px = x * baseX / 4, y_px = y * baseY / 8.
struct DialogUnits
{
    int baseX = 0; // average width of the 52 Latin letters, rounded
    int baseY = 0; // height of the font

    static DialogUnits fromFont(const QFont& font);
    // The same from metrics taken on a device of one's choice.
    static DialogUnits fromMetrics(const QFontMetrics& metrics);

    int toPixelsX(int x) const { return x * baseX / 4; }
    int toPixelsY(int y) const { return y * baseY / 8; }
    QSize toPixels(int width, int height) const
    {
        return QSize(toPixelsX(width), toPixelsY(height));
    }
    QRect toPixels(const QRect& dlu) const
    {
        return QRect(toPixelsX(dlu.x()), toPixelsY(dlu.y()), toPixelsX(dlu.width()),
                     toPixelsY(dlu.height()));
    }
};
