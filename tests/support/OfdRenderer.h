#pragma once

#include "OfdReader.h"

#include <QImage>

// Draws one page of an OFD package onto a white image from nothing but the package: every text
// object's characters in the font file the package embeds, each at the place its TextCode and
// DeltaX give, at the object's size. Objects of weight 700 and more are drawn twice, a little
// apart, as Qt's PDF writer draws a face that has no bold; filled paths (a QR code) in black. `problems` collects what could not
// be drawn: a font file that does not load, a character the embedded font lacks.
QImage RenderOfdPage(const OfdRead::Archive& archive, const OfdRead::Document& document, int page,
                     int dpi, QStringList* problems = nullptr);
