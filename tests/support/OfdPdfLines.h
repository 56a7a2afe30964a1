#pragma once

#include "OfdReader.h"

#include <QList>
#include <QString>

// The lines of a page as a reader sees them, in millimetres from the page's top-left: the text
// without its blanks and the box from the first visible character's origin to the last one's
// advance, from the font's ascent above the baseline to its descent below. Read from a PDF with
// poppler's `pdftotext -bbox` and from an OFD package with the embedded fonts, so that the two
// files of one certificate can be laid side by side.
struct PageLine
{
    QString text;
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;
};

// Every page of the PDF, its words gathered into lines by their vertical place.
QList<QList<PageLine>> PdfPageLines(const QString& pdfPath, QString* error = nullptr);
// Every page of the OFD package, its text objects gathered into lines the same way.
QList<QList<PageLine>> OfdPageLines(const OfdRead::Archive& archive,
                                    const OfdRead::Document& document);
// The text without blanks of any kind (U+3000 included).
QString WithoutBlanks(const QString& text);
