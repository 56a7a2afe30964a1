#include "register/PgRegisterImport.h"

#include "register/CertificateNumber.h"
#include "register/PgRegisterStorage.h"
#include "register/RegisterChain.h"
#include "register/RegisterFiles.h"
#include "register/RegisterText.h"
#include "register/SqliteRegisterStorage.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgRecordSet.h"

#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <algorithm>

namespace Register::PgRegisterImport {

namespace {

using Param = PgConnection::Param;

QString timeText(const QDateTime& t)
{
    return t.toUTC().toString(Qt::ISODateWithMs);
}

bool fail(PgConnection& server, Result& result, const QString& error)
{
    server.rollback();
    result.entries = 0;
    result.error = error;
    return false;
}

// The template is stored once per (name, text): the id of the one stored, made when missing.
const char* const kTemplateId =
    "with found as (select id from register_template where name = $1 and text = $2"
    "               order by id limit 1),"
    " made as (insert into register_template (name, text) select $1, $2"
    "          where not exists (select from found) returning id)"
    " select id from found union all select id from made";

const char* const kInsertEntry =
    "with e as (insert into register_entry (number, year, seq, created_at, operator_name,"
    "        template_id, name, id_number, company, leave_date, leave_day)"
    "       values ($1, $2::integer, $3::integer, $4::timestamptz, $5, $6::bigint, $7, $8, $9,"
    "              $10, $11::date) returning id),"
    " v as (insert into register_value (entry_id, position, key, value)"
    "       select e.id, x.ord - 1, x.k, x.v"
    "       from e, unnest($12::text[], $13::text[]) with ordinality as x(k, v, ord))"
    " select id from e";

// The entry as the desk holds it, with its number, time and operator, written by the database's
// owner (the clerks write through the server's functions, which give their own).
qint64 copyEntry(PgConnection& server, const EntrySummary& s, const Entry& e,
                 const ParsedNumber& number, QString* error)
{
    const auto templateId = server.query(kTemplateId, {e.templateName, e.templateText}, error);
    if (!templateId || templateId->isEof()) {
        return 0;
    }
    QStringList keys;
    QStringList values;
    for (const FormValue& v : e.values) {
        keys << v.key;
        values << v.value;
    }
    const auto made = server.query(
        kInsertEntry,
        {s.number, QString::number(number.year), QString::number(number.sequence),
         timeText(s.createdAt), e.operatorName, templateId->text(0), s.name, s.idNumber,
         s.company, s.leaveDate,
         s.leaveDay.isValid() ? Param(s.leaveDay.toString(Qt::ISODate)) : Param(),
         pgTextArray(keys), pgTextArray(values)},
        error);
    return made && !made->isEof() ? made->int64(0) : 0;
}

// The versions and the events of an entry that is on the server.
bool copyHistory(PgConnection& server, qint64 serverId, const Entry& e, QString* error)
{
    const QString id = QString::number(serverId);
    for (const Version& v : e.versions) {
        if (!server.query("insert into register_version (entry_id, version_no, text, sha256,"
                          " norm_sha256, created_at, operator_name) values ($1::bigint,"
                          " $2::integer, $3, $4, $5, $6::timestamptz, $7)",
                          {id, QString::number(v.versionNo), v.text, v.sha256,
                           sha256Hex(normalizeLineBreaks(v.text)), timeText(v.createdAt),
                           v.operatorName.isEmpty() ? e.operatorName : v.operatorName},
                          error)) {
            return false;
        }
    }
    for (const Event& ev : e.events) {
        if (!server.query("insert into register_event (entry_id, version_id, kind, at, sha256,"
                          " operator_name, detail)"
                          " select $1::bigint, v.id, $3, $4::timestamptz, $5, $6, $7"
                          " from register_version v"
                          " where v.entry_id = $1::bigint and v.version_no = $2::integer",
                          {id, QString::number(ev.versionNo), eventKindKey(ev.kind),
                           timeText(ev.at), ev.sha256,
                           ev.operatorName.isEmpty() ? e.operatorName : ev.operatorName,
                           ev.detail},
                          error)) {
            return false;
        }
    }
    // What the list shows as the last leaving is the latest event, as the server holds to.
    if (!e.events.isEmpty() &&
        !server.query("update register_entry set (last_event_kind, last_event_at) ="
                      " (select kind, at from register_event where entry_id = $1::bigint"
                      "  and kind not in ('delivered', 'transferred')"
                      "  order by at desc, id desc limit 1) where id = $1::bigint",
                      {id}, error)) {
        return false;
    }
    const auto day = [](const QDate& d) { return d.isValid() ? Param(d.toString(Qt::ISODate)) : Param(); };
    if ((e.summary.delivery || e.summary.transferDay.isValid()) &&
        !server.query("update register_entry set delivery = $2, received_day = $3::date,"
                      " transfer_day = $4::date where id = $1::bigint",
                      {id,
                       e.summary.delivery ? Param(deliveryDetail(*e.summary.delivery)) : Param(),
                       day(e.summary.delivery ? e.summary.delivery->received : QDate()),
                       day(e.summary.transferDay)},
                      error)) {
        return false;
    }
    return true;
}

} // namespace

bool copyRegister(PgConnection& server, const QString& registerFile, Result& result)
{
    QString error;
    // An import never makes a register: a path that holds none is a mistake in the command.
    if (!QFileInfo::exists(registerFile)) {
        return fail(server, result, QStringLiteral("登记簿文件 %1 不存在。").arg(registerFile));
    }
    const auto file = SqliteRegisterStorage::open(registerFile, &error);
    if (!file) {
        return fail(server, result,
                    QStringLiteral("无法打开登记簿文件 %1：%2").arg(registerFile, error));
    }
    const auto existing = server.query("select count(*) from register_entry", {}, &error);
    if (!existing) {
        return fail(server, result, error);
    }
    if (existing->int64(0) != 0) {
        return fail(server, result, QStringLiteral("服务器上的登记簿已有条目，没有导入任何内容。"));
    }
    SearchQuery all;
    all.limit = 0;
    auto summaries = file->search(all, &error);
    if (!summaries) {
        return fail(server, result, error);
    }
    // Oldest first, so that the server's ids keep the order in which the desk issued them.
    std::reverse(summaries->begin(), summaries->end());
    QMap<int, qint64> highest = readHighWaterMarks(sequencePathFor(registerFile));
    QMap<int, QSet<qint64>> present;
    QMap<int, QString> prefix;
    for (const EntrySummary& s : *summaries) {
        const std::optional<Entry> e = file->entry(s.id, &error);
        const std::optional<ParsedNumber> number = parseNumber(s.number);
        if (!e || e->versions.isEmpty()) {
            return fail(server, result, error.isEmpty() ? s.number : error);
        }
        if (!number) {
            return fail(server, result,
                        QStringLiteral("登记簿中的编号 %1 无法识别。").arg(s.number));
        }
        const qint64 id = copyEntry(server, s, *e, *number, &error);
        if (id == 0 || !copyHistory(server, id, *e, &error)) {
            return fail(server, result, QStringLiteral("%1：%2").arg(s.number, error));
        }
        highest[number->year] = std::max(highest.value(number->year), number->sequence);
        present[number->year].insert(number->sequence);
        prefix[number->year] = number->prefix;
        ++result.entries;
    }
    // Numbers the desk gave that it no longer holds (deleted after two years, or never stored)
    // are recorded as missing from the copy, so that the server's audit finds each year's
    // numbers accounted for.
    QStringList missing;
    for (auto it = highest.cbegin(); it != highest.cend(); ++it) {
        for (qint64 seq = 1; seq <= it.value(); ++seq) {
            if (!present.value(it.key()).contains(seq)) {
                missing << formatNumber(prefix.value(it.key(), kDefaultNumberPrefix), it.key(), seq);
            }
        }
    }
    if (!missing.isEmpty() &&
        !server.query("insert into register_deletion (at, operator_name, reason, numbers)"
                      " values (date_trunc('milliseconds', now()), session_user, $1, $2)",
                      {Chain::kImported, Chain::numbersText(missing)}, &error)) {
        return fail(server, result, error);
    }
    for (auto it = highest.cbegin(); it != highest.cend(); ++it) {
        if (!server.query("insert into register_counter as c (year, last_seq)"
                          " values ($1::integer, $2::integer) on conflict (year) do update"
                          " set last_seq = excluded.last_seq where c.last_seq < excluded.last_seq",
                          {QString::number(it.key()), QString::number(it.value())}, &error)) {
            return fail(server, result, error);
        }
    }
    if (!server.query("select register_seal()", {}, &error)) {
        return fail(server, result, error);
    }
    return true;
}

} // namespace Register::PgRegisterImport
