#pragma once

#include "store/pg/PgConnection.h"

#include <QList>
#include <QString>

// Generate's library bookkeeping on a team server, as one transaction: each value becomes the
// one default entry of its library (added when missing, with upid -1), and, when asked, the
// certificate gets the next register number of its year. Either all of it is on the server
// afterwards or none of it.
namespace PgBookkeeping {

struct LibraryValue
{
    QString table;
    QString value; // empty values are left out, as Generate does
};

struct Outcome
{
    bool ok = false;
    int registerSeq = 0;     // the number given, when a year was asked for
    QString error;           // the server's words
    QString failedStatement; // the statement that failed, empty for BEGIN/COMMIT
};

// The statements of one value on the server, in the order they run.
QList<PgConnection::Statement> statementsFor(const LibraryValue& entry);
// A statement as a failure shows it: with its value ($1) in quotes in its place.
QString shownText(const PgConnection::Statement& statement);

// All of it in one round trip (PgConnection::runBatch), locking only the libraries whose value
// is not empty; with nothing to keep, an empty transaction still finds out whether the server
// can be reached. failedStatement is the statement the server refused (the first one when the
// transaction could not start, the last one when it could not commit). registerYear 0: no
// register number.
Outcome remember(PgConnection& connection, const QList<LibraryValue>& values, int registerYear);

} // namespace PgBookkeeping
