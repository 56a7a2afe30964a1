#pragma once

#include <QList>
#include <QString>

class PgConnection;

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

// registerYear 0: no register number.
Outcome remember(PgConnection& connection, const QList<LibraryValue>& values, int registerYear);

} // namespace PgBookkeeping
