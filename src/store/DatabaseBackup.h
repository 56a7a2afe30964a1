#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// Backup and restore of a keyed SQLCipher file through SQLite's online backup: the copy is
// taken page by page under a read transaction, so it is consistent while other programs have
// the file open and includes what still lives only in its write-ahead log. Nothing here knows
// which file it is; LibraryBackup.h applies it to the library file, and any other keyed file
// (with its own key and tables) can use it the same way. Messages are Chinese, for the user.
namespace DatabaseBackup {

// What a file must be to be restored: it opens with key and holds every table of tables.
struct Expectation
{
    QString key;
    QStringList tables;
    // The cipher page sizes a file may have, tried in order (none: SQLCipher's default). A
    // backup keeps its source's size.
    QList<int> cipherPageSizes;
};

// Writes a backup of the database at source into target (replaced when it exists), keyed with
// the same key. Written under a temporary name and renamed: target is whole or untouched. The
// backup is one self-contained file (no log beside it).
bool backup(const QString& source, const Expectation& expected, const QString& target,
            QString* error);

// True when file opens with the key, passes SQLite's quick check and holds every table.
bool check(const QString& file, const Expectation& expected, QString* error);

// The name under which restore keeps the file it replaces: "<live>.<yyyy-MM-dd-HHmm>.bak",
// with "-2", "-3" ... before ".bak" when that name is taken.
QString keptCopyName(const QString& live, const QDateTime& when);

// Replaces the database at live by the backup, after check() accepted the backup. The current
// content of live is kept first as keptCopyName(live, now) in *keptCopy (empty when live did
// not exist). An intact live file gets the backup's pages in one write transaction, so other
// programs that have it open see the old or the new library, never a mix, and its log stays its
// own; a live file that does not open is set aside with its log and index files and replaced
// by a fresh copy. Either way no stale -wal or -shm of another file's is left beside live, and
// the log is folded into live afterwards.
bool restore(const QString& backupFile, const QString& live, const Expectation& expected,
             QString* keptCopy, QString* error);

} // namespace DatabaseBackup
