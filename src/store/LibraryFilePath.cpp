#include "store/LibraryFilePath.h"

#include "store/LibraryLocation.h"

#include <QCoreApplication>

QString DefaultLibraryFilePath()
{
    // Beside the executable, or the user's own copy where that folder is read-only.
    return LocateLibraryFile(QCoreApplication::applicationDirPath());
}
