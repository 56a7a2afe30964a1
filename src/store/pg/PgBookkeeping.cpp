#include "store/pg/PgBookkeeping.h"

#include "store/LibraryTables.h"
#include "store/Statements.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgRecordSet.h"
#include "store/pg/PgSchema.h"

namespace PgBookkeeping {

QList<PgConnection::Statement> statementsFor(const LibraryValue& entry)
{
    // What the four statements of the library file do (find the default, clear its mark, find
    // the value's entry, mark it or add it with upid -1), with each lookup inside the statement
    // that uses it, so that all of them can go to the server at once. "The first entry" is the
    // first by itemid, as the file returns its rows. The value is the parameter $1; the table's
    // statements are the same texts every time, prepared once per connection.
    const QString t = entry.table;
    const QString mark = Statements::quoted(LibraryTables::kDefaultMarker);
    const QString first = QStringLiteral("(select itemid from %1 where item3 = $1 "
                                         "order by itemid limit 1)")
                              .arg(t);
    const QList<PgConnection::Param> value{entry.value};
    return {
        {QStringLiteral("UPDATE %1 SET item1 = '' WHERE itemid = (select itemid from %1 "
                        "where item1 = %2 order by itemid limit 1)")
             .arg(t, mark)
             .toUtf8(),
         {}},
        {QStringLiteral("UPDATE %1 SET item1 = %2 WHERE itemid = %3 and itemid > 0")
             .arg(t, mark, first)
             .toUtf8(),
         value},
        {QStringLiteral("insert into %1 (item1,item2,item3,item4,item5,item6,item7,item8,item9,"
                        "item10,upid) select %2,'',$1,'','','','','','','',-1 "
                        "where coalesce(%3, -1) <= 0")
             .arg(t, mark, first)
             .toUtf8(),
         value},
    };
}

QString shownText(const PgConnection::Statement& statement)
{
    QString text = QString::fromUtf8(statement.text);
    if (!statement.params.isEmpty()) {
        text.replace(QLatin1String("$1"),
                     Statements::quoted(statement.params.first().value_or(QString())));
    }
    return text;
}

Outcome remember(PgConnection& connection, const QList<LibraryValue>& values, int registerYear)
{
    Outcome outcome;
    QStringList tables;
    QList<PgConnection::Statement> statements;
    for (const LibraryValue& entry : values) {
        if (!entry.value.isEmpty()) {
            tables << entry.table;
            statements << statementsFor(entry);
        }
    }
    if (registerYear > 0) {
        statements << PgConnection::Statement{PgSchema::kNextRegisterSequence,
                                              {QString::number(registerYear)}};
    }
    // Marking a value again leaves the same libraries behind, so a batch that met a broken
    // connection may go once more; a register number may not be taken twice.
    PgConnection::BatchOutcome batch = connection.runBatch(tables, statements, registerYear == 0);
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

} // namespace PgBookkeeping
