#include "ui/controls/DialogUnits.h"

#include <QFont>
#include <QFontMetrics>

DialogUnits DialogUnits::fromFont(const QFont& font)
{
    return fromMetrics(QFontMetrics(font));
}

DialogUnits DialogUnits::fromMetrics(const QFontMetrics& metrics)
{
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogUnits units;
    // The width of the 52 letters divided by 52, rounded to the nearest pixel: the same
    // average the Windows dialog manager takes.
    units.baseX = (letters / 26 + 1) / 2;
    units.baseY = metrics.height();
    return units;
}
