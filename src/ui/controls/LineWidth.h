#pragma once

class QPlainTextEdit;

// How many full-width characters one line of a word-wrapping text box holds: puts the
// 330-character width probe into the box and returns the length of its first display line.
// The probe stays in the box; the caller replaces it. Never more than 330.
int MeasureLineWidth(QPlainTextEdit* box);
