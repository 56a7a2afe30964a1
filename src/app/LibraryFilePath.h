#pragma once

#include <QString>

// Where the program finds its library file: the folder of the running executable followed by
// "/bdsj_conn.dll". The one place that decides it, so that a later per-user location needs a
// change here only.
QString DefaultLibraryFilePath();
