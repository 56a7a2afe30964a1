#pragma once

#include "ui/controls/DialogUnits.h"

#include <QRect>
#include <QSize>

// Dialog base units of the main window's font ("宋体" 14 pt at 96 dpi), and the pixel sizes of
// the picture controls that show the painted images. Picture controls take the size of their
// bitmap, so each image is painted at the pixel size of its dialog-unit rectangle. The
// conversion is the windows' own (DialogUnits).
using DialogBaseUnits = DialogUnits;

// Measures the main window's font. Needs a QGuiApplication and the font substitutions.
DialogBaseUnits MainDialogBaseUnits();

// Pixel sizes of the main window's pictures for the given base units.
QSize StepBannerSize(const DialogBaseUnits& units);     // 305 x 16 DLU
QSize LibraryCaptionSize(const DialogBaseUnits& units); // 51 x 16 DLU
QSize InfoPanelSize(const DialogBaseUnits& units);      // 108 x 47 DLU
// The sheet stands right of the template list (16, 30, 101 x 140 DLU), 15 % of the list's
// width away from it, reaches to where the banners end (x 321 DLU) and is as tall as the list.
QSize TemplateSheetSize(const DialogBaseUnits& units);

// The library buttons' bitmaps.
constexpr QSize kLibraryButtonSize(159, 30);
