#pragma once

#include <QString>
#include <QStringList>

class PgConnection;

// The team library's tables on a PostgreSQL server, and who may do what with them. The program
// never creates tables: the administrator runs this once ("kavri-cli server init").
namespace PgSchema {

// The five item tables, in the library's order.
const QStringList& itemTables();

// Group roles. Clerks read and write the five libraries, read the register and add to it through
// its functions; only the administrator role may delete register entries, through a function,
// and only entries older than two years (see PgRegisterSchema.h).
inline const QString kClerkRole = QStringLiteral("kavri_clerk");
inline const QString kAdminRole = QStringLiteral("kavri_admin");

// The table of the desks' certificate signing keys (public keys the administrator lists, clerks
// read) and its grants; part of the set-up, and run alone on a server set up before it existed.
QStringList deskKeyStatements();

// Every statement of the set-up, in order; `schema` is where the tables go.
QStringList initStatements(const QString& schema);

// Runs the set-up in one transaction: all of it or nothing. Refuses a database that already
// holds one of the tables. False with the reason in *error.
bool init(PgConnection& connection, QString* error);

// The statement that takes the next register number of the year $1 and returns it (last_seq).
// Its counter row stays locked until the transaction ends.
inline constexpr char kNextRegisterSequence[] =
    "insert into register_counter (year, last_seq) values ($1::integer, 1)"
    " on conflict (year) do update set last_seq = register_counter.last_seq + 1"
    " returning last_seq";

// The next register number of a year from the server: unique across all clerks and without
// gaps, because the counter row stays locked until the surrounding transaction ends and a
// rolled-back transaction gives its number back. Must run inside a transaction. -1 on failure.
int nextRegisterSequence(PgConnection& connection, int year, QString* error);

} // namespace PgSchema
