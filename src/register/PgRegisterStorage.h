#pragma once

#include "register/RegisterStorage.h"

#include <memory>

class PgConnection;

namespace Register {

// The register of a team on the PostgreSQL server that holds its library, in the tables that
// "kavri-cli server init" made (register_*), written only through the server's functions
// (store/pg/PgRegisterSchema.h): the server gives the number, the time and the operator (the
// clerk's login role). Every number is an entry from the moment it is given: a Generate whose
// text never reaches the server leaves a draft, so the numbers of a year have no gaps. Deleting
// is for the kavri_admin role, and the server refuses entries still within their two years.
class PgRegisterStorage final : public RegisterStorage
{
public:
    // Connects with a libpq connection text. Null and *error when the server cannot be reached
    // or holds no register tables.
    static std::unique_ptr<PgRegisterStorage> open(const QString& conninfo, QString* error);
    // Which of the register's functions the server has: one set up by an earlier release has
    // fewer, until `kavri-cli server init --upgrade` replaces them.
    struct ServerFunctions
    {
        bool sealsRecent = false;   // register_seal_recent() (see seal())
        // register_reserve_entry(), register_record_linked() and register_flush()
        bool recordsLinked = false;
    };
    PgRegisterStorage(std::shared_ptr<PgConnection> connection, ServerFunctions functions);
    ~PgRegisterStorage() override;

    PgConnection& connection() { return *m_connection; }

    KAVRI_REGISTER_STORAGE_OPERATIONS
    std::optional<AuditResult> audit(const QString& since, QString* error) override;

private:
    // Links what was written since into the server's chain; false when the server did not (the
    // next call, or the audit, links it then).
    bool seal();
    // The statement seal() runs.
    const char* sealStatement() const;
    // One leaving of recordEvents, inside its transaction.
    std::optional<int> recordOneEvent(const Leaving& leaving, QString* error);

    std::shared_ptr<PgConnection> m_connection;
    ServerFunctions m_functions;
};

// A text list as a PostgreSQL array literal ({"a","b"}), each item quoted.
QString pgTextArray(const QStringList& items);

} // namespace Register
