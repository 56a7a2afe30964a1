#include "store/pg/ServerConnection.h"

#include "store/LibraryTables.h"
#include "store/RecordSet.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgLibraryStore.h"
#include "store/pg/PgRecordSet.h"

std::shared_ptr<SqlConnection> SqlConnection::openServer(const QString& conninfo, QString* error)
{
    std::shared_ptr<PgConnection> server = PgConnection::open(conninfo, error);
    if (!server) {
        return nullptr;
    }
    return std::make_shared<ServerConnection>(std::move(server));
}

ServerConnection::ServerConnection(std::shared_ptr<PgConnection> server)
    : m_server(std::move(server))
{
}

ServerConnection::~ServerConnection()
{
    close();
}

bool ServerConnection::isOpen() const
{
    return m_server->isOpen();
}

void ServerConnection::close()
{
    m_server->close();
}

std::unique_ptr<RecordSet> ServerConnection::execute(const QString& statement, QString* error)
{
    QString ignored;
    if (!error) {
        error = &ignored;
    }
    if (!isStorable(statement)) {
        *error = kInvalidText;
        return nullptr;
    }
    std::unique_ptr<PgRecordSet> rows = m_server->execute(statement, error);
    return rows ? RecordSet::fromServer(std::move(rows)) : nullptr;
}

bool ServerConnection::beginWrite(QString* error)
{
    // The five item tables are locked before the first read, so two clerks' bookkeeping runs
    // one after the other and every library keeps one default.
    using namespace LibraryTables;
    return m_server->begin({kTemplate, kCompany, kDepartment, kPosition, kReason}, error);
}

bool ServerConnection::commit(QString* error)
{
    if (!m_server->inTransaction()) {
        *error = kNotConnected;
        return false;
    }
    return m_server->commit(error);
}

void ServerConnection::rollback()
{
    m_server->rollback();
}

bool ServerConnection::inTransaction() const
{
    return m_server->inTransaction();
}

std::unique_ptr<LibraryStore> ServerConnection::libraryStore(WriteUnit& unit)
{
    return std::make_unique<PgLibraryStore>(this, *m_server, unit);
}
