#pragma once

#include "store/SqlConnection.h"

#include <memory>

class PgConnection;

// A team library on a PostgreSQL server as a library connection: statements of the caller's
// own go to the server as given (PostgreSQL's dialect), the write transaction locks the five
// item tables, and the library's operations are PgLibraryStore's.
class ServerConnection : public SqlConnection
{
public:
    explicit ServerConnection(std::shared_ptr<PgConnection> server);
    ~ServerConnection() override;

    bool isOpen() const override;
    PgConnection* server() const override { return m_server.get(); }
    bool isReadOnly() const override { return false; }
    void close() override;
    std::unique_ptr<RecordSet> execute(const QString& statement, QString* error) override;
    bool beginWrite(QString* error) override;
    bool commit(QString* error) override;
    void rollback() override;
    bool inTransaction() const override;
    std::unique_ptr<LibraryStore> libraryStore(WriteUnit& unit) override;

private:
    std::shared_ptr<PgConnection> m_server;
};
