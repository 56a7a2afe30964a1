#pragma once

#include "register/RegisterStorage.h"

#include <memory>

class PgConnection;

namespace Register {

// The register of a team on the PostgreSQL server that holds its library, in the tables that
// "kavri-cli server init" made (register_*). Numbers come from the server's counter row of the
// year, which stays locked from the moment a number is taken until the entry is committed: every
// clerk gets a number no one else got, and a transaction that fails gives its number back, so
// the numbers of a year have no gaps. Clerks add entries and events; deleting is for the
// kavri_admin role, and the server refuses entries still within their two years.
class PgRegisterStorage final : public RegisterStorage
{
public:
    // Connects with a libpq connection text. Null and *error when the server cannot be reached
    // or holds no register tables.
    static std::unique_ptr<PgRegisterStorage> open(const QString& conninfo, QString* error);
    explicit PgRegisterStorage(std::shared_ptr<PgConnection> connection);
    ~PgRegisterStorage() override;

    PgConnection& connection() { return *m_connection; }

    KAVRI_REGISTER_STORAGE_OPERATIONS

    // The statements that addEntry runs, for the import of a local register once the number is
    // known: the entry's template (stored when missing), then the entry with its form values and
    // first version.
    // Returns the entry's id, 0 on failure (*error set).
    static qint64 insertEntry(PgConnection& connection, const EntryRecord& record,
                              const QString& number, qint64 sequence, const QString& text,
                              QString* error);

private:
    static QList<std::optional<QString>> entryParams(const EntryRecord& record, qint64 templateId,
                                                     const QString& number, qint64 sequence,
                                                     const QString& text);
    // One leaving of recordEvents, inside its transaction.
    std::optional<int> recordOneEvent(const Leaving& leaving, const QDateTime& at, QString* error);

    std::shared_ptr<PgConnection> m_connection;
};

// A text list as a PostgreSQL array literal ({"a","b"}), each item quoted.
QString pgTextArray(const QStringList& items);

} // namespace Register
