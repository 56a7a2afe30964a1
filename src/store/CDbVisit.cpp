#include "store/CDbVisit.h"

#include "store/LibraryFile.h"
#include "store/LibraryTables.h"
#include "store/RecordSet.h"
#include "store/SqlConnection.h"
#include "store/Statements.h"
#include "store/StoreFeedback.h"
#include "store/pg/PgConnection.h"
#include "store/pg/TeamConfig.h"

const QString CDbVisit::kLibraryFileName = LibraryFile::kFileName;
const QString CDbVisit::kPassword = LibraryFile::kPassword;

namespace {
const QString kConnectFailed = QStringLiteral("无法连接到资料库，您的本地数据被破坏或无法找到！");
const QString kItemId = QStringLiteral("itemid");

void reportStatementFailure(const QString& description, const QString& statement)
{
    StoreFeedback::statementFailed(description + statement);
}

// A record set may stop early when a later row cannot be fetched; that is a failed statement
// too, reported like one.
void reportFetchFailure(const RecordSet& records, const QString& statement)
{
    if (!records.error().isEmpty()) {
        reportStatementFailure(records.error(), statement);
    }
}

// Reading a column the result does not have fails like the statement itself.
bool checkColumn(const RecordSet& records, const QString& column, const QString& statement)
{
    if (records.isEof() || records.hasColumn(column)) {
        return true;
    }
    reportStatementFailure(QStringLiteral("no such column: ") + column, statement);
    return false;
}
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

std::unique_ptr<RecordSet> CDbVisit::ExecuteSql(const QString& statement)
{
    // Hold the connection for the whole call, whatever happens to the member meanwhile.
    const std::shared_ptr<SqlConnection> connection = m_pConnection;
    if (m_unit && !AdmitToUnit(connection.get(), statement)) {
        return nullptr;
    }
    if (!connection || !connection->isOpen()) {
        reportStatementFailure(FailureText(SqlConnection::kNotConnected), statement);
        return nullptr;
    }
    QString error;
    std::unique_ptr<RecordSet> records = connection->execute(statement, &error);
    if (!records) {
        reportStatementFailure(FailureText(error), statement);
    }
    return records;
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
    const QString statement = Statements::selectAll(table);
    const std::unique_ptr<RecordSet> records = ExecuteSql(statement);
    QStringList names;
    if (!records || !checkColumn(*records, column, statement)) {
        return names;
    }
    for (; !records->isEof(); records->moveNext()) {
        const QString name = records->collect(column);
        if (!name.isEmpty()) {
            names.append(name);
        }
    }
    reportFetchFailure(*records, statement);
    return names;
}

QStringList CDbVisit::FillRecordList(const QString& table, const QString& column)
{
    const StoreFeedback::Busy busy;
    const QString statement = Statements::selectAll(table);
    const std::unique_ptr<RecordSet> records = ExecuteSql(statement);
    QStringList texts;
    if (!records || !checkColumn(*records, column, statement)) {
        return texts;
    }
    for (; !records->isEof(); records->moveNext()) {
        texts.append(records->collect(column));
    }
    reportFetchFailure(*records, statement);
    return texts;
}

QList<TreeRecord> CDbVisit::FillRecordTree(const QString& column, const QString& table)
{
    const QString statement = Statements::selectTopLevel(table);
    const std::unique_ptr<RecordSet> records = ExecuteSql(statement);
    QList<TreeRecord> rows;
    if (!records || !checkColumn(*records, column, statement)) {
        return rows;
    }
    for (; !records->isEof(); records->moveNext()) {
        rows.append({records->collect(column), records->collectInt(kItemId)});
    }
    reportFetchFailure(*records, statement);
    return rows;
}

QString CDbVisit::GetRecordValue(const QString& table, const QString& column, qint32 itemId)
{
    const StoreFeedback::Busy busy;
    const QString statement = Statements::selectById(table, itemId);
    const std::unique_ptr<RecordSet> records = ExecuteSql(statement);
    if (!records || records->isEof() || !checkColumn(*records, column, statement)) {
        return QString();
    }
    return records->collect(column);
}

QString CDbVisit::FindRecordValue(const QString& table, const QString& keyColumn,
                                  const QString& keyValue, const QString& column)
{
    const StoreFeedback::Busy busy;
    const QString statement = Statements::selectByValue(table, keyColumn, keyValue);
    const std::unique_ptr<RecordSet> records = ExecuteSql(statement);
    if (!records || records->isEof() || !checkColumn(*records, column, statement)) {
        return QString();
    }
    return records->collect(column);
}

qint32 CDbVisit::FindRecordId(const QString& table, const QString& column, const QString& value)
{
    const StoreFeedback::Busy busy;
    const QString statement = Statements::selectByValue(table, column, value);
    const std::unique_ptr<RecordSet> records = ExecuteSql(statement);
    if (!records || records->isEof() || !checkColumn(*records, kItemId, statement)) {
        return -1;
    }
    return records->collectInt(kItemId);
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
    ExecuteSql(Statements::insertPair(table, firstColumn, firstValue, secondColumn, secondValue));
    return 1;
}

int CDbVisit::AddItemRecord(const QString& table, int count, const QStringList& texts, qint32 upid)
{
    ExecuteSql(Statements::insertItems(table, count, texts, upid));
    return 1;
}

int CDbVisit::SetRecordValue(const QString& table, const QString& column, const QString& value,
                             qint32 itemId)
{
    ExecuteSql(Statements::update(table, column, value, itemId));
    return 1;
}

void CDbVisit::DeleteRecord(const QString& table, qint32 itemId)
{
    ExecuteSql(Statements::deleteById(table, itemId));
}

void CDbVisit::RememberLibraryValue(const QString& table, const QString& value)
{
    using namespace LibraryTables;
    const qint32 id = FindRecordId(table, kDefaultColumn, kDefaultMarker);
    SetRecordValue(table, kDefaultColumn, QString(), id);
    const qint32 id2 = FindRecordId(table, kNameColumn, value);
    if (id2 > 0) {
        SetRecordValue(table, kDefaultColumn, kDefaultMarker, id2);
    } else {
        QStringList texts(10);
        texts[0] = kDefaultMarker;
        texts[2] = value;
        AddItemRecord(table, 10, texts, -1);
    }
}
