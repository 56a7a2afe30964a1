#include "store/LibraryStore.h"

#include "store/LibraryTables.h"
#include "store/RecordSet.h"
#include "store/SqlConnection.h"

namespace {
const QString kItemId = QStringLiteral("itemid");
} // namespace

LibraryStore::LibraryStore(SqlConnection* connection, WriteUnit& unit)
    : m_connection(connection), m_unit(unit)
{
}

LibraryStore::~LibraryStore() = default;

QString LibraryStore::refusedValue(const QString& subject)
{
    return QStringLiteral("%1中含有无法保存的字符（空字符或不完整的字符），资料库未作更改。")
        .arg(subject);
}

QString LibraryStore::subjectOf(const QString& table)
{
    if (table == LibraryTables::kCompany) {
        return QStringLiteral("公司名称");
    }
    if (table == LibraryTables::kDepartment) {
        return QStringLiteral("部门");
    }
    if (table == LibraryTables::kPosition) {
        return QStringLiteral("职位");
    }
    if (table == LibraryTables::kReason) {
        return QStringLiteral("离职原因");
    }
    return QStringLiteral("填写的内容");
}

StoreResult<QString> LibraryStore::defaultValue(const QString& table, const QString& column)
{
    return findValue(table, LibraryTables::kDefaultColumn, LibraryTables::kDefaultMarker, column);
}

bool LibraryStore::connected() const
{
    return m_connection && m_connection->isOpen();
}

bool LibraryStore::admit(const QString& shown, StoreOutcome& result)
{
    if (!m_unit.open) {
        return true;
    }
    if (m_unit.failed) {
        result.skipped = true;
        return false;
    }
    m_unit.lastStatement = shown;
    if (m_unit.begun || !connected()) {
        return true;
    }
    // Taken before the first read: what the unit reads stays true until it commits.
    QString error;
    if (!m_connection->beginWrite(&error)) {
        result.failures.append(failure(error, shown));
        return false;
    }
    m_unit.begun = true;
    return true;
}

StoreFailure LibraryStore::failure(const QString& error, const QString& shown)
{
    if (!m_unit.open) {
        return {error, shown};
    }
    m_unit.failed = true;
    if (error == SqlConnection::kInvalidText && !m_unit.subject.isEmpty()) {
        return {refusedValue(m_unit.subject), shown};
    }
    return {error, shown};
}

std::unique_ptr<RecordSet> LibraryStore::run(const QString& shown, const QString& text,
                                             StoreOutcome& result)
{
    if (!admit(shown, result)) {
        return nullptr;
    }
    if (!connected()) {
        result.failures.append(failure(SqlConnection::kNotConnected, shown));
        return nullptr;
    }
    QString error;
    std::unique_ptr<RecordSet> records = m_connection->execute(text, &error);
    if (!records) {
        result.failures.append(failure(error, shown));
    }
    return records;
}

StoreResult<std::unique_ptr<RecordSet>> LibraryStore::execute(const QString& statement)
{
    StoreResult<std::unique_ptr<RecordSet>> result;
    result.value = run(statement, statement, result);
    return result;
}

StoreResult<bool> LibraryStore::runWriteTransaction(const std::function<void()>& body)
{
    StoreResult<bool> result;
    if (m_unit.open) {
        body();
        result.value = !m_unit.failed;
        return result;
    }
    m_unit = WriteUnit();
    m_unit.open = true;
    body();
    const WriteUnit unit = m_unit;
    m_unit = WriteUnit();
    if (!unit.begun) {
        result.value = !unit.failed;
        return result;
    }
    if (!m_connection) {
        return result;
    }
    if (unit.failed) {
        m_connection->rollback();
        return result;
    }
    // A full disk often shows only here, when the changes go to the log.
    QString error;
    if (!m_connection->commit(&error)) {
        result.failures.append({error, unit.lastStatement});
        return result;
    }
    result.value = true;
    return result;
}

bool LibraryStore::checkColumn(const RecordSet& records, const QString& column,
                               const QString& shown, StoreOutcome& result)
{
    if (records.isEof() || records.hasColumn(column)) {
        return true;
    }
    result.failures.append({QStringLiteral("no such column: ") + column, shown});
    return false;
}

void LibraryStore::checkFetch(const RecordSet& records, const QString& shown, StoreOutcome& result)
{
    if (!records.error().isEmpty()) {
        result.failures.append({records.error(), shown});
    }
}

QStringList LibraryStore::readColumn(std::unique_ptr<RecordSet> records, const QString& column,
                                     const QString& shown, StoreResult<QStringList>& result)
{
    QStringList texts;
    if (!records || !checkColumn(*records, column, shown, result)) {
        return texts;
    }
    for (; !records->isEof(); records->moveNext()) {
        texts.append(records->collect(column));
    }
    checkFetch(*records, shown, result);
    return texts;
}

QList<TreeRecord> LibraryStore::readTree(std::unique_ptr<RecordSet> records, const QString& column,
                                         const QString& shown,
                                         StoreResult<QList<TreeRecord>>& result)
{
    QList<TreeRecord> rows;
    if (!records || !checkColumn(*records, column, shown, result)) {
        return rows;
    }
    for (; !records->isEof(); records->moveNext()) {
        rows.append({records->collect(column), records->collectInt(kItemId)});
    }
    checkFetch(*records, shown, result);
    return rows;
}

QString LibraryStore::readFirst(std::unique_ptr<RecordSet> records, const QString& column,
                                const QString& shown, StoreResult<QString>& result)
{
    if (!records || records->isEof() || !checkColumn(*records, column, shown, result)) {
        return QString();
    }
    return records->collect(column);
}

qint32 LibraryStore::readFirstId(std::unique_ptr<RecordSet> records, const QString& shown,
                                 StoreResult<qint32>& result)
{
    if (!records || records->isEof() || !checkColumn(*records, kItemId, shown, result)) {
        return -1;
    }
    return records->collectInt(kItemId);
}
