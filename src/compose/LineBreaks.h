#pragma once

#include <QString>

// Stored and composed texts break lines with CR LF, as the Windows edit controls wrote them; a
// Qt text box holds a bare LF per line break. These convert at the box's edge.
namespace LineBreaks {

// Every CR LF becomes LF.
inline QString toLf(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Every line break becomes CR LF; a CR LF already there stays one.
inline QString toCrLf(const QString& text)
{
    return toLf(text).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

} // namespace LineBreaks
