#pragma once

#include <QList>
#include <QString>
#include <optional>

class PgConnection;

// The desks' certificate signing keys on a team's server: each desk signs with a key of its own,
// and the administrator lists their public keys here, so that every desk's 查验 knows them. The
// administrator role writes the table, clerks read it.
namespace Register::PgDeskKeys {

struct DeskKey
{
    QString keyId; // 16 hex digits
    QString label; // the desk's (or company's) name
    QString pem;   // the public key
};

// The table and its grants, for a server set up before the table existed; a no-op where it
// exists. Needs the database owner's rights the first time.
bool ensureTable(PgConnection& connection, QString* error);

// Adds the key, or renames it when its id is listed already.
bool add(PgConnection& connection, const DeskKey& key, QString* error);
// False in *found when no key of that id is listed.
bool remove(PgConnection& connection, const QString& keyId, bool* found, QString* error);
// Every listed key, by id; an empty list where the table does not exist yet.
std::optional<QList<DeskKey>> list(PgConnection& connection, QString* error);

} // namespace Register::PgDeskKeys
