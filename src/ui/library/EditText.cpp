#include "ui/library/EditText.h"

#include "compose/LineBreaks.h"

namespace EditText {

QString toBox(const QString& stored)
{
    return LineBreaks::toLf(stored);
}

QString fromBox(const QString& boxText)
{
    return LineBreaks::toCrLf(boxText);
}

} // namespace EditText
