#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <optional>

// The register's files. They sit beside the library file (so they follow it: beside the program,
// or in the user's data folder where the program's folder is read-only):
//   kavri_register.db   the register, SQLCipher-encrypted with a key of its own
//   kavri_register.key  that key (hex), readable by the user only
//   kavri_register.seq  the highest sequence number given per year, kept outside the database
//                       so that restoring an older copy of it never brings a number back
//   kavri_register.lock while one program makes the register (QLockFile: the holder's process
//                       id; a lock whose process has ended is taken over)
namespace Register {

inline const QString kRegisterFileName = QStringLiteral("kavri_register.db");

// The cipher page size of a register file made now, and that of one made before it was (the
// SQLCipher shell reads a file of the first with PRAGMA cipher_page_size = 4096). An encrypted
// file does not tell its page size: it is opened with each until its first page decrypts.
constexpr int kCipherPageSize = 4096;
constexpr int kFormerCipherPageSize = 1024;

QString registerPathBeside(const QString& libraryFilePath);
QString keyPathFor(const QString& registerPath);
QString sequencePathFor(const QString& registerPath);
QString lockPathFor(const QString& registerPath);

// The key as SQLCipher takes a raw key: "x'<64 hex digits>'". When the key file is missing and
// `create` is true, 32 random bytes from the system's generator become a new key file first
// (mode 0600, written under a temporary name and renamed; when another process made one
// meanwhile, that one is used). Empty optional and *error on failure.
std::optional<QByteArray> loadOrCreateKey(const QString& keyPath, bool create, QString* error);

// Makes the register and its write-ahead log files readable and writable by the user only, as
// the key is: they hold every leaver's name and ID number. Files that are not there are skipped.
void keepToOwner(const QString& registerPath);

// Year -> highest sequence given. A missing file is an empty map; unreadable lines are skipped.
QMap<int, qint64> readHighWaterMarks(const QString& sequencePath);
// Raises the mark of `year` to `last` (never lowers it) and writes the whole file anew.
bool raiseHighWaterMark(const QString& sequencePath, int year, qint64 last, QString* error);

} // namespace Register
