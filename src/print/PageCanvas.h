#pragma once

#include "seal/QrMatrix.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QStringView>

// A font as the page asks for it: face, cell height (ascent + descent, in device units, already
// scaled to the device), width (0 = the face's own) and weight (400 normal, 700 bold).
struct PageFont
{
    QString face;
    int height = 0;
    int width = 0;
    int weight = 400;
};

// What the page layout needs from a device: its resolution, measuring in the selected font and
// drawing a string with its top-left corner at a device point, and filling a black rectangle. Everything is in device units.
// A printer, a PDF file and the tests' fake device each supply one.
class PageCanvas
{
public:
    virtual ~PageCanvas() = default;

    virtual int dpiX() const = 0;
    virtual int dpiY() const = 0;

    // Selects the font for the measuring and drawing that follow.
    virtual void selectFont(const PageFont& font) = 0;

    // Width of `text` drawn in one run in the selected font. Adding characters to a string never
    // makes it narrower; the line breaking relies on that.
    virtual int textWidth(QStringView text) const = 0;
    // Cell height (ascent + descent) and external leading of the selected font.
    virtual int textHeight() const = 0;
    virtual int externalLeading() const = 0;

    // Draws `text` in black with the top-left of its cell at (x, y).
    virtual void drawText(int x, int y, QStringView text) = 0;

    // Fills the rectangle in black (the modules of the page's QR code).
    virtual void fillRect(int x, int y, int width, int height) = 0;
    // Fills every rectangle in black; a canvas that can fill them in one go does so.
    virtual void fillRects(const QList<QRect>& rects)
    {
        for (const QRect& r : rects) {
            fillRect(r.x(), r.y(), r.width(), r.height());
        }
    }
    // Draws a QR code's modules over `square` as one picture, a module to a pixel stretched
    // without smoothing, dark modules black and light ones white; false when this canvas
    // cannot, and the caller then fills the dark modules' runs.
    virtual bool drawModules(const Seal::QrMatrix& /*code*/, const QRect& /*square*/)
    {
        return false;
    }
};
