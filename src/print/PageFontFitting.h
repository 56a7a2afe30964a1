#pragma once

#include "print/PageCanvas.h"

#include <QFont>

class QPaintDevice;

// The QFont that draws a page font on `device`: the face, weight and no kerning or hinting, at
// the pixel size whose cell height (ascent + descent) on that device comes closest to the page
// font's height. The printed page, the PDF and the OFD file all fit their fonts here, so that
// one page measures the same wherever it goes.
QFont FitPageFont(const PageFont& font, const QPaintDevice* device);

// True when the face that draws `font` has no style as heavy as the weight asked for, so that
// a bold font is drawn emboldened by the font engine rather than from bold outlines.
bool IsSynthesizedBold(const QFont& font);
