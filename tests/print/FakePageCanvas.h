#pragma once

#include "print/PageCanvas.h"

#include <QList>
#include <QString>
#include <functional>

// A device with exact, made-up metrics that records what is drawn. By default every character
// is as wide as the font is high (a full-width face), Latin letters half of that; a lone high
// surrogate measures nothing, so a line cut inside a pair would go unnoticed by the width.
class FakePageCanvas : public PageCanvas
{
public:
    struct Draw
    {
        int x;
        int y;
        QString text;
        int fontHeight;
        int fontWeight;
    };

    FakePageCanvas(int dpiX, int dpiY) : m_dpiX(dpiX), m_dpiY(dpiY) {}

    int dpiX() const override { return m_dpiX; }
    int dpiY() const override { return m_dpiY; }
    void selectFont(const PageFont& font) override { m_font = font; }

    int textWidth(QStringView text) const override
    {
        ++measureCount;
        int width = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c.isHighSurrogate()) {
                if (i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                    width += charWidth ? charWidth(QChar::surrogateToUcs4(c, text[i + 1]), m_font)
                                       : m_font.height;
                    ++i;
                }
                continue;
            }
            width += charWidth ? charWidth(c.unicode(), m_font)
                               : (c.unicode() < 0x80 ? m_font.height / 2 : m_font.height);
        }
        return width;
    }

    int textHeight() const override { return m_font.height + extraHeight; }
    int externalLeading() const override { return leading; }

    void drawText(int x, int y, QStringView text) override
    {
        draws.append(Draw{x, y, text.toString(), m_font.height, m_font.weight});
    }

    void fillRect(int x, int y, int width, int height) override
    {
        fills.append(Fill{x, y, width, height});
    }

    // The body lines: everything drawn after the title.
    QList<Draw> bodyDraws() const { return draws.mid(1); }

    struct Fill
    {
        int x;
        int y;
        int width;
        int height;
    };

    QList<Draw> draws;
    QList<Fill> fills;
    int leading = 0;
    int extraHeight = 0;
    mutable int measureCount = 0;
    // When set, the width of one character (code point) in the given font.
    std::function<int(char32_t, const PageFont&)> charWidth;

private:
    int m_dpiX;
    int m_dpiY;
    PageFont m_font;
};
