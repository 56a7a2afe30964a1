#pragma once

#include <QString>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

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

// A row of a table that hands a text and a box width to the composer and expects a text back.
struct WidthCase
{
    const char* label;
    QString text;
    int width;
    QString expected;
};

inline void PrintTo(const WidthCase& c, std::ostream* os)
{
    *os << c.label;
}

// Test names for the tables: every row carries a label that is a valid test name.
template <typename Case> std::string caseLabel(const ::testing::TestParamInfo<Case>& info)
{
    return info.param.label;
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
