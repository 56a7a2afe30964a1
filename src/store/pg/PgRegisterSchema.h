#pragma once

#include <QString>
#include <QStringList>

class PgConnection;

// The register's part of a team server: who may change what, the functions through which the
// clerks write, and the hash chain (the same chain as the desk's register file; the encoding is
// in register/RegisterChain.h and README.md).
//
// No role but the database's owner has INSERT, UPDATE or DELETE on a register table. Clerks
// write through SECURITY DEFINER functions that take the operator from session_user and the time
// from the server's clock:
//   register_reserve(prefix)         the next number of the year: its own short transaction
//                                    (the counter row is locked only inside it); the entry is a
//                                    draft until its text is recorded
//   register_reserve_entry(prefix, template, list columns)
//                                    the same, the draft holding its template and list columns
//                                    from the start
//   register_record_linked(entry, ...) the draft's form values and first version (and the
//                                    template and list columns of a bare draft),
//                                    linked into the chain as it is written (the chain's head
//                                    held until the commit, which therefore does not wait for
//                                    the disk)
//   register_flush()                 returns once what the session committed is on the disk
//   register_record(entry, ...)      the same as register_record_linked, for an earlier kavri
//   register_event(entry, kind, text) a text that left kavri, as an event (and a new version
//                                    when the text is new); returns the version number
//   register_seal()                  links every row written since into the chain (run in a
//                                    transaction of its own, after the commit of the rows it
//                                    links, so that the chain's head is never held across a
//                                    commit that waits for the disk)
//   register_seal_recent()           the same for the newest rows of each table, and for all
//                                    once in every 128 rows: what a clerk runs after a write
// and the administrator deletes entries past their two years only through
//   register_delete_expired(cutoff, expected)
// which takes each entry out whole and records who, when, which numbers and the position and
// link of every chain row that went. Triggers hold to the same rules whoever writes: an event or
// a version is never changed (only its link filled in once), nothing is deleted but with its
// entry, an entry only after its two years, and the counter moves by one or over numbers that
// are accounted for.
namespace PgRegisterSchema {

// The statements that bring the register tables made by the base set-up up to the rules above,
// in order; `schema` is where the tables are (the functions' search path).
QStringList securityStatements(const QString& schema);

// Replaces the functions of a database that already has the chain with this release's, in one
// transaction (a database set up by an earlier release keeps its slower bodies otherwise).
// False and *error on failure (then nothing changed).
bool refreshFunctions(PgConnection& connection, QString* error);

// True when the database already has the register's functions and chain.
bool isCurrent(PgConnection& connection, QString* error);

// Brings an older team database up to the rules above in one transaction and links the rows it
// holds into the chain, oldest first. Returns how many rows were linked; -1 and *error on
// failure (then nothing changed).
qint64 upgrade(PgConnection& connection, QString* error);

} // namespace PgRegisterSchema
