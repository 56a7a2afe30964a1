#include "register/PgDeskKeys.h"

#include "store/pg/PgConnection.h"
#include "store/pg/PgRecordSet.h"
#include "store/pg/PgSchema.h"

namespace Register::PgDeskKeys {

bool ensureTable(PgConnection& connection, QString* error)
{
    const auto exists =
        connection.query("select to_regclass('desk_seal_key') is not null", {}, error);
    if (!exists) {
        return false;
    }
    if (exists->text(0) == QLatin1String("t")) {
        return true;
    }
    for (const QString& statement : PgSchema::deskKeyStatements()) {
        if (!connection.execute(statement, error)) {
            return false;
        }
    }
    return true;
}

bool add(PgConnection& connection, const DeskKey& key, QString* error)
{
    return connection.query("insert into desk_seal_key (key_id, label, pem) values ($1, $2, $3)"
                            " on conflict (key_id) do update set label = excluded.label",
                            {key.keyId, key.label, key.pem}, error) != nullptr;
}

bool remove(PgConnection& connection, const QString& keyId, bool* found, QString* error)
{
    const auto rows =
        connection.query("delete from desk_seal_key where key_id = $1 returning key_id", {keyId},
                         error);
    if (!rows) {
        return false;
    }
    *found = rows->rowCount() > 0;
    return true;
}

std::optional<QList<DeskKey>> list(PgConnection& connection, QString* error)
{
    const auto exists =
        connection.query("select to_regclass('desk_seal_key') is not null", {}, error);
    if (!exists) {
        return std::nullopt;
    }
    QList<DeskKey> keys;
    if (exists->text(0) != QLatin1String("t")) {
        return keys;
    }
    auto rows = connection.query("select key_id, label, pem from desk_seal_key order by key_id",
                                 {}, error);
    if (!rows) {
        return std::nullopt;
    }
    for (; !rows->isEof(); rows->moveNext()) {
        keys.append({rows->text(0), rows->text(1), rows->text(2)});
    }
    return keys;
}

} // namespace Register::PgDeskKeys
