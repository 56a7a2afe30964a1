#include "ui/library/EditText.h"

namespace EditText {

QString toBox(const QString& stored)
{
    QString text = stored;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QString fromBox(const QString& boxText)
{
    QString text = boxText;
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

qsizetype windowsLength(const QString& boxText)
{
    return boxText.size() + boxText.count(QLatin1Char('\n'));
}

} // namespace EditText
