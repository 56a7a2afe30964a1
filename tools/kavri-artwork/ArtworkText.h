#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QString>

class QPainter;

// The faces the artwork is lettered in: a CJK sans-serif for captions, sized in pixels so the
// images come out the same on every machine that has the font.
QFont CaptionFont(int pixelSize, bool bold = true);

// Draws text with its left end at x and its glyphs centred vertically on centreY.
void DrawTextCentredOn(QPainter& painter, const QString& text, double x, double centreY);

// The same with a one-pixel soft shadow below-right, for light text on coloured ground.
void DrawTextWithShadow(QPainter& painter, const QString& text, double x, double centreY,
                        const QColor& colour, const QColor& shadow);
