#pragma once

#include <QString>

class QLineEdit;
class QPlainTextEdit;

// How many full-width characters one line of a word-wrapping text box holds: puts the
// 330-character width probe into the box and returns the length of its first display line.
// The probe stays in the box; the caller replaces it. Never more than 330.
int MeasureLineWidth(QPlainTextEdit* box);

// The narrowest width at which the one-line box shows `text` whole in its own font, without
// scrolling: the text's advance, room for the cursor and for glyphs that reach past their
// advance, the box's inner margins, its frame and its text margins.
int LineEditWidthFor(const QLineEdit* box, const QString& text);
