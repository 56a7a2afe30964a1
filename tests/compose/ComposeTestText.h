#pragma once

#include <QString>
#include <ostream>

// Building blocks for expected composer output, so that tables say "7 fillers" instead of
// holding runs of invisible ideographic spaces.
namespace ComposeText {

inline const QString kOpen = QStringLiteral("<div style=\"float: right;\">");

// n ideographic spaces (the filler).
inline QString F(int n)
{
    return QString(n, QChar(0x3000));
}

// n full-width low lines (the preview's blank).
inline QString B(int n)
{
    return QString(n, QChar(0xFF3F));
}

// The certificate's opening: k fillers, the title and the three-line gap.
inline QString title(int k)
{
    return F(k) + QStringLiteral("离职证明\r\n\r\n\r\n");
}

} // namespace ComposeText

// Failure messages show line ends and fillers instead of printing them raw.
inline void PrintTo(const QString& text, std::ostream* os)
{
    QString shown = text;
    shown.replace(u'\r', QStringLiteral("\\r"))
        .replace(u'\n', QStringLiteral("\\n"))
        .replace(QChar(0x3000), QChar(0x25A1));
    *os << '"' << shown.toStdString() << '"';
}
