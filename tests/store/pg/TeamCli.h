#pragma once

#include "CliRun.h"

// A run of kavri-cli as a user whose configuration folder (where it reads kavri/kavri.conf) is
// configHome.
inline CliSetup withConfigHome(const QString& configHome)
{
    CliSetup setup;
    setup.environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    setup.timeoutMs = 120000; // a server on a busy machine
    return setup;
}
