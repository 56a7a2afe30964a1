#include "app/LibraryFilePath.h"

#include "store/CDbVisit.h"

#include <QCoreApplication>

QString DefaultLibraryFilePath()
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + CDbVisit::kLibraryFileName;
}
