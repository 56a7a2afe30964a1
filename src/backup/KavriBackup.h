#pragma once

#include <QString>

// One backup file for everything kavri keeps: the library file and, when there is one, the
// certificate register beside it with its key. The file is a zip archive holding
//   bdsj_conn.dll        the library, copied online (consistent while kavri has it open)
//   kavri_register.db    the register, copied the same way, encrypted with its own key
//   kavri_register.key   that key (the register is unreadable without it)
//   kavri_seal.key       the installation's certificate signing key, when it has made one
// and is made readable by its owner only, as the key file itself is. The register's number
// high-water mark (kavri_register.seq) is never restored, so that no number given after the
// backup is given again after a restore.
//
// A backup made before registers existed holds the library file itself (no archive); restore
// accepts that too and leaves the register alone.
//
// Each call returns the one message for the user (Chinese) in *message, whether it worked or
// not. For the main window's menu and kavri-cli.
namespace KavriBackup {

// Writes the backup of the library at libraryPath (and of the register beside it) to target,
// whole or not at all. A register that exists but cannot be backed up leaves it out of the
// backup; the message says so and the call returns false.
bool backup(const QString& libraryPath, const QString& target, QString* message);

// Replaces the library at libraryPath (and the register beside it, when the backup holds one)
// by the backup in backupFile, after checking every file in it (key, tables, no damage) before
// anything is changed. Each replaced file is kept beside it as a dated copy (a replaced register
// with its key, when the key changes).
bool restore(const QString& backupFile, const QString& libraryPath, QString* message);

// Removes what a backup or restore that was killed half way left behind: its temporary folder
// (a copy of the register with its key) and, for `target` when it is not empty, the partly
// written "<target>.<pid>.part". What a backup still running is using stays.
void removeLeftovers(const QString& target);

} // namespace KavriBackup
