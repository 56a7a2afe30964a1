#pragma once

#include <QString>

// The statements are written in the Jet dialect; SQLite lacks "select top N". This turns
// "select top N <rest>" into "select <rest> limit N" and leaves every other text unchanged.
QString TranslateJetStatement(const QString& statement);
