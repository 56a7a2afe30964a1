#pragma once

#include "CliRun.h"

#include <QFile>

// A run of kavri-cli as a user whose configuration folder (where it reads kavri/kavri.conf) is
// configHome.
inline CliSetup withConfigHome(const QString& configHome)
{
    CliSetup setup;
    setup.environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    setup.timeoutMs = 120000; // a server on a busy machine
    return setup;
}

// Writes a file the batch reads (a sheet, a template); false when it could not be written whole.
inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
