#pragma once

#include <QString>

// Which library file the program opens.
//
// The delivered file "bdsj_conn.dll" sits beside the executable. Where that folder is writable
// (a copy of the program in a folder the user owns), that file is the library, as always.
// Where it is not (installed system-wide, e.g. under /opt/kavri), every write to the libraries
// would fail; there the program works on a per-user copy in the user's data folder, made once
// from the delivered file and never overwritten afterwards, so the user's entries survive
// updates of the program.
//
// executableDir: the folder of the running executable (QCoreApplication::applicationDirPath()).
// userDataDir: where the per-user copy lives; empty means
//              QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).
// Returns the path to open. When the per-user copy cannot be made, or there is no delivered
// file to copy, the delivered file's path is returned, so that opening it reports the problem
// as for any unusable library file.
QString LocateLibraryFile(const QString& executableDir, const QString& userDataDir = QString());

// The same decision with the writability of the executable's folder given, for tests (a test
// running as root finds every folder writable).
QString LocateLibraryFile(const QString& executableDir, bool executableDirWritable,
                          const QString& userDataDir);

// True when a file can be created in the folder: tried for real, because permission bits do not
// tell about read-only mounts.
bool IsWritableFolder(const QString& folder);
