#include "store/CDbVisit.h"

#include "store/LibraryFile.h"
#include "store/RecordSet.h"
#include "store/SqlConnection.h"
#include "store/SqliteLibraryStore.h"
#include "store/StoreFeedback.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgLibraryStore.h"
#include "store/pg/TeamConfig.h"

const QString CDbVisit::kLibraryFileName = LibraryFile::kFileName;
const QString CDbVisit::kPassword = LibraryFile::kPassword;

namespace {
const QString kConnectFailed = QStringLiteral("无法连接到资料库，您的本地数据被破坏或无法找到！");
} // namespace

CDbVisit::CDbVisit() = default;

CDbVisit::~CDbVisit() = default;

std::shared_ptr<SqlConnection> CDbVisit::ConnectAccessDb(const QString& path,
                                                         const QString& password)
{
    QString error;
    std::shared_ptr<SqlConnection> connection = SqlConnection::open(path, password, &error);
    if (!connection) {
        StoreFeedback::connectFailed(kConnectFailed);
        return nullptr;
    }
    return connection;
}

std::shared_ptr<SqlConnection> CDbVisit::ConnectServer(const QString& conninfo)
{
    QString error;
    std::shared_ptr<SqlConnection> connection = SqlConnection::openServer(conninfo, &error);
    if (!connection) {
        StoreFeedback::connectFailed(kConnectFailed);
        return nullptr;
    }
    return connection;
}

std::shared_ptr<SqlConnection> CDbVisit::ConnectLibrary(const QString& filePath)
{
    const TeamConfig::Choice choice = TeamConfig::read();
    if (!choice.team) {
        m_strLibraryTitle.clear();
        m_strTeamConninfo.clear();
        return ConnectAccessDb(filePath, kPassword);
    }
    m_strTeamConninfo = choice.conninfo;
    m_strLibraryTitle = QStringLiteral("团队资料库 ") + TeamConfig::displayName(choice.conninfo);
    if (!choice.error.isEmpty()) {
        // A configuration that names a server wrongly is no reason to use the file instead.
        StoreFeedback::connectFailed(choice.error);
        return nullptr;
    }
    std::shared_ptr<SqlConnection> connection = ConnectServer(choice.conninfo);
    if (connection && TeamConfig::displayName(choice.conninfo).isEmpty()) {
        m_strLibraryTitle += connection->server()->libraryName();
    }
    return connection;
}

std::unique_ptr<LibraryStore> CDbVisit::store()
{
    if (!m_pConnection) {
        return std::make_unique<SqliteLibraryStore>(nullptr, m_unit);
    }
    return m_pConnection->libraryStore(m_unit);
}

void CDbVisit::report(const StoreOutcome& outcome)
{
    for (const StoreFailure& failure : outcome.failures) {
        StoreFeedback::statementFailed(failure.text());
    }
}

namespace {
// Reports what the operation handed back and gives its value.
template <class T> T reported(StoreResult<T> result)
{
    CDbVisit::report(result);
    return std::move(result.value);
}
} // namespace

std::unique_ptr<RecordSet> CDbVisit::ExecuteSql(const QString& statement)
{
    // Hold the connection for the whole call, whatever happens to the member meanwhile.
    const std::shared_ptr<SqlConnection> connection = m_pConnection;
    return reported(store()->execute(statement));
}

void CDbVisit::CloseConnection(std::shared_ptr<SqlConnection>& connection)
{
    if (!connection) {
        return;
    }
    if (connection->isOpen()) {
        connection->close();
    }
    connection.reset();
}

QStringList CDbVisit::FillRecordCombo(const QString& table, const QString& column)
{
    QStringList names = reported(store()->listValues(table, column));
    names.removeAll(QString());
    return names;
}

QStringList CDbVisit::FillRecordList(const QString& table, const QString& column)
{
    const StoreFeedback::Busy busy;
    return reported(store()->listValues(table, column));
}

QList<TreeRecord> CDbVisit::FillRecordTree(const QString& column, const QString& table)
{
    return reported(store()->listTopLevel(table, column));
}

QString CDbVisit::GetRecordValue(const QString& table, const QString& column, qint32 itemId)
{
    const StoreFeedback::Busy busy;
    return reported(store()->valueOf(table, column, itemId));
}

QString CDbVisit::FindRecordValue(const QString& table, const QString& keyColumn,
                                  const QString& keyValue, const QString& column)
{
    const StoreFeedback::Busy busy;
    return reported(store()->findValue(table, keyColumn, keyValue, column));
}

qint32 CDbVisit::FindRecordId(const QString& table, const QString& column, const QString& value)
{
    const StoreFeedback::Busy busy;
    return reported(store()->findId(table, column, value));
}

QString CDbVisit::ShowRecordValue(const QString& table, const QString& keyColumn,
                                  const QString& keyValue, const QString& column)
{
    return FindRecordValue(table, keyColumn, keyValue, column);
}

QString CDbVisit::SelectRecordRow(const QString& table, const QString& keyColumn,
                                  const QString& keyValue, const QString& column)
{
    return FindRecordValue(table, keyColumn, keyValue, column);
}

int CDbVisit::AddRecord(const QString& table, const QString& firstColumn, const QString& firstValue,
                        const QString& secondColumn, const QString& secondValue)
{
    reported(store()->addEntry(table, firstColumn, firstValue, secondColumn, secondValue));
    return 1;
}

int CDbVisit::AddItemRecord(const QString& table, int count, const QStringList& texts, qint32 upid)
{
    reported(store()->addItems(table, count, texts, upid));
    return 1;
}

int CDbVisit::SetRecordValue(const QString& table, const QString& column, const QString& value,
                             qint32 itemId)
{
    reported(store()->modify(table, column, value, itemId));
    return 1;
}

void CDbVisit::DeleteRecord(const QString& table, qint32 itemId)
{
    reported(store()->remove(table, itemId));
}

void CDbVisit::RememberLibraryValue(const QString& table, const QString& value)
{
    reported(store()->rememberValue(table, value));
}

bool CDbVisit::RunWriteTransaction(const std::function<void()>& body)
{
    return reported(store()->runWriteTransaction(body));
}

bool CDbVisit::RememberLibraryValues(const QList<std::pair<QString, QString>>& values)
{
    return reported(rememberLibraryValues(values));
}

StoreResult<bool> CDbVisit::rememberLibraryValues(const QList<std::pair<QString, QString>>& values)
{
    if (!m_pConnection && !m_strTeamConninfo.isEmpty() && !m_unit.open) {
        // The team's server could not be reached when the program started.
        StoreResult<bool> away;
        away.failures.append({PgLibraryStore::kServerAway, QString()});
        away.value = false;
        return away;
    }
    return store()->rememberValues(values);
}
