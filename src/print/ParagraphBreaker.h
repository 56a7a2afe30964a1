#pragma once

#include "print/PageCanvas.h"

#include <QList>
#include <QStringView>

// Breaks a paragraph into lines by characters so that every line but the last is strictly
// narrower than the column: a line ends before the character that makes it reach `avail`. A
// paragraph (or last piece) exactly as wide as the column stays whole. Every line holds at
// least one character, even one that alone is wider than the column, and a UTF-16 surrogate
// pair is never split.
//
// The line ends are found by an exponential search around the length of the previous line
// instead of trying every prefix in turn, so a long paragraph costs a few measurements per line
// rather than one per character. It finds the same ends as the one-by-one search because a
// prefix never measures wider than a longer prefix.
QList<QStringView> BreakParagraph(const PageCanvas& canvas, QStringView paragraph, qint64 avail);
