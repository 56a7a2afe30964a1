#include "ArtworkMetrics.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>

namespace {
constexpr double kInchesPerMetre = 39.37007874;
constexpr int kScreenDpi = 96;
} // namespace

DialogBaseUnits MainDialogBaseUnits()
{
    // Measure against a 96 dpi device so the figures do not depend on the screen at hand.
    QImage device(1, 1, QImage::Format_RGB32);
    const int dotsPerMetre = qRound(kScreenDpi * kInchesPerMetre);
    device.setDotsPerMeterX(dotsPerMetre);
    device.setDotsPerMeterY(dotsPerMetre);

    QFont font(QStringLiteral("宋体"));
    font.setPointSize(14);
    return DialogUnits::fromMetrics(QFontMetrics(font, &device));
}

QSize StepBannerSize(const DialogBaseUnits& units)
{
    return units.toPixels(305, 16);
}

QSize LibraryCaptionSize(const DialogBaseUnits& units)
{
    return units.toPixels(51, 16);
}

QSize InfoPanelSize(const DialogBaseUnits& units)
{
    return units.toPixels(108, 47);
}

QSize TemplateSheetSize(const DialogBaseUnits& units)
{
    const int listLeft = units.toPixelsX(16);
    const int listWidth = units.toPixelsX(101);
    const int sheetLeft = listLeft + listWidth + listWidth * 15 / 100;
    const int sheetRight = units.toPixelsX(321);
    return QSize(sheetRight - sheetLeft, units.toPixelsY(140));
}
