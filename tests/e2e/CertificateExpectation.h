#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// What the result box must hold after Generate, worked out here from the stored template
// text and the values the test typed, without the program's composer: the title centred with
// ideographic spaces over a box `width` characters wide, three empty lines, the text with
// every placeholder replaced, and the block after the right-float marker moved right as a
// whole until its longest line ends at the box's edge.
struct CertificateExpectation
{
    // Placeholder ("【姓名】") and the value that takes its place.
    using Values = QList<QPair<QString, QString>>;

    static CertificateExpectation build(const QString& templateText, const Values& values,
                                        int width);

    QString text;           // the whole certificate, CR LF line breaks
    QString titleLine;      // the first line: filler and title
    QStringList blockLines; // the right block's lines, padding included
};
