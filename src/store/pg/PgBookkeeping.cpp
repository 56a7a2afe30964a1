#include "store/pg/PgBookkeeping.h"

#include "store/Statements.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgRecordSet.h"
#include "store/pg/PgSchema.h"

namespace PgBookkeeping {

namespace {

const QString kItemId = QStringLiteral("itemid");
const QString kDefaultMark = QStringLiteral("默认");

// Runs one statement; on failure fills the outcome and ends the transaction.
std::unique_ptr<PgRecordSet> run(PgConnection& connection, const QString& statement,
                                 Outcome& outcome)
{
    std::unique_ptr<PgRecordSet> records = connection.execute(statement, &outcome.error);
    if (!records) {
        outcome.failedStatement = statement;
        connection.rollback();
    }
    return records;
}

qint32 findId(PgConnection& connection, const QString& table, const QString& column,
              const QString& value, Outcome& outcome, bool* ok)
{
    const auto records = run(connection, Statements::selectByValue(table, column, value), outcome);
    *ok = records != nullptr;
    return records && !records->isEof() ? records->collectInt(kItemId) : -1;
}

bool rememberOne(PgConnection& connection, const LibraryValue& entry, Outcome& outcome)
{
    bool ok = false;
    const qint32 oldDefault =
        findId(connection, entry.table, QStringLiteral("item1"), kDefaultMark, outcome, &ok);
    if (!ok || !run(connection,
                    Statements::update(entry.table, QStringLiteral("item1"), QString(), oldDefault),
                    outcome)) {
        return false;
    }
    const qint32 existing =
        findId(connection, entry.table, QStringLiteral("item3"), entry.value, outcome, &ok);
    if (!ok) {
        return false;
    }
    if (existing > 0) {
        return run(connection,
                   Statements::update(entry.table, QStringLiteral("item1"), kDefaultMark, existing),
                   outcome) != nullptr;
    }
    QStringList texts(10);
    texts[0] = kDefaultMark;
    texts[2] = entry.value;
    return run(connection, Statements::insertItems(entry.table, 10, texts, -1), outcome) != nullptr;
}

} // namespace

Outcome remember(PgConnection& connection, const QList<LibraryValue>& values, int registerYear)
{
    Outcome outcome;
    QStringList tables;
    for (const LibraryValue& entry : values) {
        if (!entry.value.isEmpty()) {
            tables << entry.table;
        }
    }
    if (registerYear > 0) {
        tables << QStringLiteral("register_counter");
    }
    if (!connection.begin(tables, &outcome.error)) {
        return outcome;
    }
    for (const LibraryValue& entry : values) {
        if (!entry.value.isEmpty() && !rememberOne(connection, entry, outcome)) {
            return outcome;
        }
    }
    if (registerYear > 0) {
        outcome.registerSeq = PgSchema::nextRegisterSequence(connection, registerYear,
                                                             &outcome.error);
        if (outcome.registerSeq <= 0) {
            connection.rollback();
            return outcome;
        }
    }
    outcome.ok = connection.commit(&outcome.error);
    return outcome;
}

} // namespace PgBookkeeping
