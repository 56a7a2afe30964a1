#pragma once

#include "store/DatabaseBackup.h"

#include <QString>

// Backup and restore of the library file, for the main window's menu and kavri-cli. Each
// returns the one message the user gets (Chinese), in *message, whether it worked or not.
namespace LibraryBackup {

// What a library file or its backup must be: it opens with the library's key and holds the
// five item tables.
DatabaseBackup::Expectation expectation();

// Writes a backup of the library at libraryPath to target, whole or not at all; safe while
// copies of the program have the library open.
bool backupLibrary(const QString& libraryPath, const QString& target, QString* message);

// Replaces the library at libraryPath by the backup in backupFile after checking that it is
// one (the library's key, its five tables, no damage); the replaced library is kept beside it
// as a dated copy.
bool restoreLibrary(const QString& backupFile, const QString& libraryPath, QString* message);

} // namespace LibraryBackup
