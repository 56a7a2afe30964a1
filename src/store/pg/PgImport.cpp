#include "store/pg/PgImport.h"

#include "store/RecordSet.h"
#include "store/SqlConnection.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgRecordSet.h"
#include "store/pg/PgSchema.h"

namespace PgImport {

namespace {

// The file gives each value as an SQL literal (its quote() function): text in single quotes
// with quotes doubled, NULL as NULL, numbers as digits. Both dialects read those the same way,
// so a NULL stays NULL and an empty text stays empty on the server.
QString selectLiterals(const QString& table)
{
    QString columns = QStringLiteral("quote(itemid) as itemid, quote(upid) as upid");
    for (int i = 1; i <= 10; ++i) {
        columns += QStringLiteral(", quote(item%1) as item%1").arg(i);
    }
    return QStringLiteral("select %1 from %2 order by itemid").arg(columns, table);
}

QString insertRow(const QString& table, const RecordSet& row)
{
    QStringList columns{QStringLiteral("itemid"), QStringLiteral("upid")};
    for (int i = 1; i <= 10; ++i) {
        columns << QStringLiteral("item%1").arg(i);
    }
    QStringList values;
    for (const QString& column : columns) {
        values << row.collect(column);
    }
    return QStringLiteral("insert into %1 (%2) values (%3)")
        .arg(table, columns.join(QLatin1Char(',')), values.join(QLatin1Char(',')));
}

bool fail(PgConnection& server, Result& result, const QString& error)
{
    server.rollback();
    result.error = error;
    return false;
}

bool copyTable(SqlConnection& file, PgConnection& server, const QString& table, Result& result)
{
    QString error;
    const auto existing =
        server.execute(QStringLiteral("select count(*) as n from ") + table, &error);
    if (!existing) {
        return fail(server, result, error);
    }
    if (existing->collectInt(QStringLiteral("n")) != 0) {
        return fail(server, result,
                    QStringLiteral("服务器上的 %1 已有内容，没有导入任何内容。").arg(table));
    }
    const auto rows = file.execute(selectLiterals(table), &error);
    if (!rows) {
        return fail(server, result, QStringLiteral("%1：%2").arg(table, error));
    }
    for (; !rows->isEof(); rows->moveNext()) {
        if (!server.execute(insertRow(table, *rows), &error)) {
            return fail(server, result, error);
        }
        ++result.rows;
    }
    if (!rows->error().isEmpty()) {
        return fail(server, result, rows->error());
    }
    // New entries continue after the highest itemid copied.
    if (!server.execute(QStringLiteral("select setval(pg_get_serial_sequence('%1', 'itemid'), "
                                       "max(itemid)) from %1")
                            .arg(table),
                        &error)) {
        return fail(server, result, error);
    }
    return true;
}

} // namespace

bool copyLibrary(PgConnection& server, const QString& libraryFile, const QString& password,
                 Result& result)
{
    QString error;
    const auto file = SqlConnection::open(libraryFile, password, &error);
    if (!file) {
        return fail(server, result,
                    QStringLiteral("无法打开资料库文件 %1：%2").arg(libraryFile, error));
    }
    for (const QString& table : PgSchema::itemTables()) {
        if (!copyTable(*file, server, table, result)) {
            result.rows = 0;
            return false;
        }
    }
    return true;
}

Result importLibrary(PgConnection& server, const QString& libraryFile, const QString& password)
{
    Result result;
    if (!server.begin(PgSchema::itemTables(), &result.error)) {
        return result;
    }
    if (!copyLibrary(server, libraryFile, password, result)) {
        return result;
    }
    result.ok = server.commit(&result.error);
    if (!result.ok) {
        result.rows = 0;
    }
    return result;
}

} // namespace PgImport
