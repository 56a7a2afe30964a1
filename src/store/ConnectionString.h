#pragma once

#include <QString>

// The Jet connection string for the library file. The file itself is opened by path and key;
// the string is kept with the connection because it is what a failure report may show.
QString BuildConnectionString(const QString& path, const QString& password);
