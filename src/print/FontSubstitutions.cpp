#include "print/FontSubstitutions.h"

#include <QFont>
#include <QStringList>

void InstallFontSubstitutions()
{
    QFont::insertSubstitutions(
        QStringLiteral("宋体"),
        QStringList{QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Serif CJK SC")});
    QFont::insertSubstitutions(
        QStringLiteral("MS Shell Dlg"),
        QStringList{QStringLiteral("Noto Sans CJK SC"), QStringLiteral("AR PL UMing CN")});
}
