#include "register/PgRegisterImport.h"

#include "register/CertificateNumber.h"
#include "register/PgRegisterStorage.h"
#include "register/RegisterFiles.h"
#include "register/RegisterText.h"
#include "register/SqliteRegisterStorage.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgRecordSet.h"

#include <QFileInfo>
#include <QMap>
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

// The later versions and the events of an entry whose first version is on the server.
bool copyHistory(PgConnection& server, qint64 serverId, const Entry& e, QString* error)
{
    const QString id = QString::number(serverId);
    for (const Version& v : e.versions) {
        if (v.versionNo == 1) {
            continue;
        }
        if (!server.query("insert into register_version (entry_id, version_no, text, sha256,"
                          " norm_sha256, created_at) values ($1::bigint, $2::integer, $3, $4, $5,"
                          " $6::timestamptz)",
                          {id, QString::number(v.versionNo), v.text, v.sha256,
                           sha256Hex(normalizeLineBreaks(v.text)), timeText(v.createdAt)},
                          error)) {
            return false;
        }
    }
    for (const Event& ev : e.events) {
        if (!server.query("insert into register_event (entry_id, version_id, kind, at, sha256,"
                          " detail) select $1::bigint, v.id, $3, $4::timestamptz, $5, $6"
                          " from register_version v"
                          " where v.entry_id = $1::bigint and v.version_no = $2::integer",
                          {id, QString::number(ev.versionNo), eventKindKey(ev.kind),
                           timeText(ev.at), ev.sha256, ev.detail},
                          error)) {
            return false;
        }
    }
    if (e.summary.issued &&
        !server.query("update register_entry set last_event_kind = $2,"
                      " last_event_at = $3::timestamptz where id = $1::bigint",
                      {id, e.summary.lastEventKey, timeText(e.summary.lastEventAt)}, error)) {
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
        RegisterStorage::EntryRecord r;
        r.entry = {e->templateName, e->templateText, e->values};
        r.year = number->year;
        r.createdAt = s.createdAt;
        r.operatorName = e->operatorName;
        r.name = s.name;
        r.idNumber = s.idNumber;
        r.company = s.company;
        r.leaveDate = s.leaveDate;
        r.leaveDay = s.leaveDay;
        const qint64 id = PgRegisterStorage::insertEntry(server, r, s.number, number->sequence,
                                                         e->versions.first().text, &error);
        if (id == 0 || !copyHistory(server, id, *e, &error)) {
            return fail(server, result, QStringLiteral("%1：%2").arg(s.number, error));
        }
        highest[number->year] = std::max(highest.value(number->year), number->sequence);
        ++result.entries;
    }
    for (auto it = highest.cbegin(); it != highest.cend(); ++it) {
        if (!server.query("insert into register_counter (year, last_seq)"
                          " values ($1::integer, $2::integer) on conflict (year) do update"
                          " set last_seq = greatest(register_counter.last_seq, excluded.last_seq)",
                          {QString::number(it.key()), QString::number(it.value())}, &error)) {
            return fail(server, result, error);
        }
    }
    return true;
}

} // namespace Register::PgRegisterImport
