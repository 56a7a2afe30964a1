#pragma once

#include <QString>
#include <QStringList>

// kavri-cli library backup FILE | library restore FILE: the library file's backup and restore.
namespace LibraryCommand {

QString synopsis();
int run(const QStringList& args);

} // namespace LibraryCommand
