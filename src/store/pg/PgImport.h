#pragma once

#include <QString>

class PgConnection;

// Copies a local library file up to a team server whose item tables are still empty: every row
// with its itemid, upid and item columns, so that the order of the entries and the default marks
// stay as they were. One transaction: all of it or nothing.
namespace PgImport {

struct Result
{
    bool ok = false;
    int rows = 0;
    QString error;
};

Result importLibrary(PgConnection& server, const QString& libraryFile, const QString& password);

// The same copy inside a transaction the caller has opened (and commits or rolls back), so that
// it can go up together with other things (the register). On failure the transaction is rolled
// back and result.error says why.
bool copyLibrary(PgConnection& server, const QString& libraryFile, const QString& password,
                 Result& result);

} // namespace PgImport
