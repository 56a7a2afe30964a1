// Build tool: turns the seed text (schema and first entries) into the keyed library file.
// Usage: kavri-seed-library <seed.sql> <output file>
// The file is written under a temporary name and renamed into place only when complete, so a
// failed run never leaves a half-made library beside the program.
#include "store/LibraryFile.h"

#include <QFile>
#include <QString>
#include <cstdio>
#include <sqlite3.h>

namespace {

bool fail(sqlite3* db, const char* what)
{
    std::fprintf(stderr, "kavri-seed-library: %s: %s\n", what,
                 db ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_close(db);
    return false;
}

bool writeLibrary(const QByteArray& seed, const QString& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        return fail(db, "cannot create the file");
    }
    const QByteArray key = LibraryFile::kPassword.toUtf8();
    if (sqlite3_key(db, key.constData(), key.size()) != SQLITE_OK) {
        return fail(db, "cannot key the file");
    }
    const QByteArray script = "BEGIN;\n" + seed + "\nCOMMIT;\n";
    char* message = nullptr;
    if (sqlite3_exec(db, script.constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "kavri-seed-library: seed text: %s\n", message ? message : "?");
        sqlite3_free(message);
        sqlite3_close(db);
        return false;
    }
    return sqlite3_close(db) == SQLITE_OK || fail(nullptr, "cannot close the file");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: kavri-seed-library <seed.sql> <output file>\n");
        return 2;
    }
    QFile seedFile(QFile::decodeName(argv[1]));
    if (!seedFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "kavri-seed-library: cannot read %s\n", argv[1]);
        return 1;
    }
    const QByteArray seed = seedFile.readAll();
    const QString output = QFile::decodeName(argv[2]);
    const QString partial = output + QStringLiteral(".partial");
    QFile::remove(partial);
    if (!writeLibrary(seed, partial)) {
        QFile::remove(partial);
        return 1;
    }
    QFile::remove(output);
    if (!QFile::rename(partial, output)) {
        std::fprintf(stderr, "kavri-seed-library: cannot move the file into place\n");
        QFile::remove(partial);
        return 1;
    }
    return 0;
}
