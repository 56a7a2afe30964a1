#include "store/pg/PgLibraryStore.h"

#include "store/LibraryTables.h"
#include "store/RecordSet.h"
#include "store/SqlConnection.h"
#include "store/Statements.h"
#include "store/pg/PgRecordSet.h"
#include "store/pg/PgSchema.h"

#include <algorithm>

const QString PgLibraryStore::kServerAway =
    QStringLiteral("无法连接到团队资料库的服务器，本次操作未完成，没有写入任何内容。");

namespace {

QString number(qint32 value)
{
    return QString::number(value);
}

void collectFailures(StoreOutcome& into, const StoreOutcome& step)
{
    into.failures += step.failures;
}

} // namespace

PgLibraryStore::PgLibraryStore(SqlConnection* connection, PgConnection& server, WriteUnit& unit)
    : LibraryStore(connection, unit), m_server(server)
{
}

std::unique_ptr<RecordSet> PgLibraryStore::query(const QString& shown, const QString& text,
                                                 const QList<PgConnection::Param>& params,
                                                 StoreOutcome& result)
{
    if (!admit(shown, result)) {
        return nullptr;
    }
    if (!connected()) {
        result.failures.append(failure(SqlConnection::kNotConnected, shown));
        return nullptr;
    }
    for (const PgConnection::Param& p : params) {
        if (p && !SqlConnection::isStorable(*p)) {
            result.failures.append(failure(SqlConnection::kInvalidText, shown));
            return nullptr;
        }
    }
    QString error;
    std::unique_ptr<PgRecordSet> rows = m_server.query(text.toUtf8(), params, &error);
    if (!rows) {
        result.failures.append(failure(error, shown));
        return nullptr;
    }
    return RecordSet::fromServer(std::move(rows));
}

StoreResult<bool> PgLibraryStore::write(const QString& shown, const QString& text,
                                        const QList<PgConnection::Param>& params)
{
    StoreResult<bool> result;
    result.value = query(shown, text, params, result) != nullptr;
    return result;
}

StoreResult<QStringList> PgLibraryStore::listValues(const QString& table, const QString& column)
{
    StoreResult<QStringList> result;
    const QString shown = Statements::selectAll(table);
    const QString text = QStringLiteral("select * from %1 order by itemid").arg(table);
    result.value = readColumn(query(shown, text, {}, result), column, shown, result);
    return result;
}

StoreResult<QList<TreeRecord>> PgLibraryStore::listTopLevel(const QString& table,
                                                            const QString& column)
{
    StoreResult<QList<TreeRecord>> result;
    const QString shown = Statements::selectTopLevel(table);
    const QString text =
        QStringLiteral("select * from %1 where upid = 0 order by itemid").arg(table);
    result.value = readTree(query(shown, text, {}, result), column, shown, result);
    return result;
}

StoreResult<QString> PgLibraryStore::valueOf(const QString& table, const QString& column,
                                             qint32 itemId)
{
    StoreResult<QString> result;
    const QString shown = Statements::selectById(table, itemId);
    const QString text = QStringLiteral("select * from %1 where itemid = $1 limit 1").arg(table);
    result.value = readFirst(query(shown, text, {number(itemId)}, result), column, shown, result);
    return result;
}

StoreResult<QString> PgLibraryStore::findValue(const QString& table, const QString& keyColumn,
                                               const QString& keyValue, const QString& column)
{
    StoreResult<QString> result;
    const QString shown = Statements::selectByValue(table, keyColumn, keyValue);
    const QString text = QStringLiteral("select * from %1 where %2 = $1 order by itemid limit 1")
                             .arg(table, keyColumn);
    result.value = readFirst(query(shown, text, {keyValue}, result), column, shown, result);
    return result;
}

StoreResult<qint32> PgLibraryStore::findId(const QString& table, const QString& column,
                                           const QString& value)
{
    StoreResult<qint32> result;
    const QString shown = Statements::selectByValue(table, column, value);
    const QString text =
        QStringLiteral("select * from %1 where %2 = $1 order by itemid limit 1").arg(table, column);
    result.value = readFirstId(query(shown, text, {value}, result), shown, result);
    return result;
}

StoreResult<bool> PgLibraryStore::addEntry(const QString& table, const QString& firstColumn,
                                           const QString& firstValue, const QString& secondColumn,
                                           const QString& secondValue)
{
    return write(Statements::insertPair(table, firstColumn, firstValue, secondColumn, secondValue),
                 QStringLiteral("insert into %1 (%2,%3) values ($1,$2)")
                     .arg(table, firstColumn, secondColumn),
                 {firstValue, secondValue});
}

StoreResult<bool> PgLibraryStore::addItems(const QString& table, int count,
                                           const QStringList& texts, qint32 upid)
{
    QString columns;
    QString values;
    QList<PgConnection::Param> params;
    for (int i = 1; i <= count; ++i) {
        columns += QStringLiteral("item%1,").arg(i);
        values += QStringLiteral("$%1,").arg(i);
        // Fewer texts than counted: the rest are empty texts, as on the file.
        params.append(texts.value(i - 1));
    }
    columns += QStringLiteral("upid");
    values += QStringLiteral("$%1").arg(count + 1);
    params.append(number(upid));
    return write(Statements::insertItems(table, count, texts, upid),
                 QStringLiteral("insert into %1 (%2) values (%3)").arg(table, columns, values),
                 params);
}

StoreResult<bool> PgLibraryStore::modify(const QString& table, const QString& column,
                                         const QString& value, qint32 itemId)
{
    return write(Statements::update(table, column, value, itemId),
                 QStringLiteral("UPDATE %1 SET %2 = $1 WHERE itemid = $2").arg(table, column),
                 {value, number(itemId)});
}

StoreResult<bool> PgLibraryStore::remove(const QString& table, qint32 itemId)
{
    return write(Statements::deleteById(table, itemId),
                 QStringLiteral("delete from %1 where itemid = $1").arg(table), {number(itemId)});
}

StoreResult<bool> PgLibraryStore::rememberValue(const QString& table, const QString& value)
{
    StoreResult<bool> result;
    if (!m_unit.open) {
        const Outcome outcome = remember(m_server, {{table, value}}, 0);
        if (!outcome.ok) {
            result.failures.append({outcome.error, outcome.failedStatement});
        }
        result.value = outcome.ok;
        return result;
    }
    // Inside an open unit the statements go one by one; the unit's lock is already held or is
    // taken before the first of them.
    for (const PgConnection::Statement& statement : rememberStatements(table, value)) {
        const QString shown = shownText(statement);
        const StoreResult<bool> step =
            write(shown, QString::fromUtf8(statement.text), statement.params);
        collectFailures(result, step);
        if (!step.ok()) {
            break;
        }
    }
    result.value = result.failures.isEmpty();
    return result;
}

StoreResult<bool> PgLibraryStore::rememberValues(const QList<std::pair<QString, QString>>& values)
{
    StoreResult<bool> result;
    if (m_unit.open) {
        for (const auto& [table, value] : values) {
            if (!value.isEmpty()) {
                m_unit.subject = subjectOf(table);
                collectFailures(result, rememberValue(table, value));
            }
        }
        result.value = true;
        return result;
    }
    if (!connected()) {
        result.failures.append({kServerAway, QString()});
        return result;
    }
    QList<LibraryValue> list;
    for (const auto& [table, value] : values) {
        if (value.isEmpty()) {
            continue;
        }
        if (!SqlConnection::isStorable(value)) {
            // Refused as the file refuses it: at the lookup of the value, nothing written.
            result.failures.append(
                {refusedValue(subjectOf(table)),
                 Statements::selectByValue(table, LibraryTables::kNameColumn, value)});
            result.value = true;
            return result;
        }
        list.append({table, value});
    }
    const Outcome outcome = remember(m_server, list, 0);
    if (!outcome.ok) {
        result.failures.append({outcome.error, outcome.failedStatement});
    }
    result.value = outcome.ok || outcome.error != PgConnection::kConnectionLost;
    return result;
}

QList<PgConnection::Statement> PgLibraryStore::rememberStatements(const QString& table,
                                                                  const QString& value)
{
    // One statement per library: the fewer statements run while the libraries are locked, the
    // less the other clerks wait. Its parts see the table as it was when it began. The target is
    // the first entry named value when its itemid is positive; it gets the mark and the default
    // (the first marked entry) loses it, in one update of the rows that change (none when the
    // target is the default already). Without a target an entry is added (upid -1) with the
    // mark. The texts are the same every time, prepared once per connection.
    const QString mark = Statements::quoted(LibraryTables::kDefaultMarker);
    const QString text =
        QStringLiteral(
            "with target as (select itemid from (select itemid from %1 where item3 = $1"
            " order by itemid limit 1) first where itemid > 0),"
            " moved as (UPDATE %1 SET item1 = case when itemid in (select itemid from target)"
            " then %2 else '' end WHERE itemid in (select itemid from target union all"
            " (select itemid from %1 where item1 = %2 order by itemid limit 1)) and item1 is"
            " distinct from case when itemid in (select itemid from target) then %2 else '' end)"
            " insert into %1 (item1,item2,item3,item4,item5,item6,item7,item8,item9,item10,upid)"
            " select %2,'',$1,'','','','','','','',-1 where not exists (select from target)")
            .arg(table, mark);
    return {{text.toUtf8(), {value}}};
}

QString PgLibraryStore::shownText(const PgConnection::Statement& statement)
{
    QString text = QString::fromUtf8(statement.text);
    if (!statement.params.isEmpty()) {
        text.replace(QLatin1String("$1"),
                     Statements::quoted(statement.params.first().value_or(QString())));
    }
    return text;
}

PgLibraryStore::Outcome PgLibraryStore::remember(PgConnection& connection,
                                                 const QList<LibraryValue>& values,
                                                 int registerYear)
{
    Outcome outcome;
    QStringList tables;
    QList<PgConnection::Statement> statements;
    for (const LibraryValue& entry : values) {
        if (!entry.value.isEmpty()) {
            tables << entry.table;
            statements << rememberStatements(entry.table, entry.value);
        }
    }
    if (registerYear > 0) {
        statements << PgConnection::Statement{PgSchema::kNextRegisterSequence,
                                              {QString::number(registerYear)}};
    }
    // Which value is the default is a convenience, not a record: the commit does not wait for
    // the disk, so the libraries' locks are let go as soon as the server has run the batch
    // instead of being held while other clerks' commits are flushed. After a crash of the server
    // the last moment's marks may be the ones before; the tables stay whole. A register number
    // is a record, and waits.
    // Marking a value again leaves the same libraries behind, so a batch that met a broken
    // connection may go once more; a register number may not be taken twice.
    PgConnection::BatchOutcome batch = connection.runBatch(
        tables, statements, registerYear == 0,
        registerYear > 0 ? PgConnection::Commit::WaitsForDisk : PgConnection::Commit::Asynchronous);
    if (!batch.ok) {
        outcome.error = batch.error;
        if (!statements.isEmpty()) {
            outcome.failedStatement = shownText(
                statements.value(std::clamp(batch.failedAt, 0, int(statements.size()) - 1)));
        }
        return outcome;
    }
    if (registerYear > 0) {
        const auto& counter = batch.rows.back();
        outcome.registerSeq = counter ? int(counter->int64(0)) : 0;
    }
    outcome.ok = true;
    return outcome;
}
