#pragma once

#include <QString>

// The library file the program opens unless told otherwise: "bdsj_conn.dll" in the folder of
// the running executable, or the user's own copy of it when that folder is not writable.
QString DefaultLibraryFilePath();
