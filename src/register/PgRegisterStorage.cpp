#include "register/PgRegisterStorage.h"

#include "register/CertificateNumber.h"
#include "register/RegisterText.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgRecordSet.h"
#include "store/pg/PgSchema.h"

#include <QTimeZone>

namespace Register {

namespace {

using Param = PgConnection::Param;

// The old resident ID had 15 characters, the current one 18.
constexpr qsizetype kShortestWholeId = 15;

// SQLSTATE of a missing privilege.
const QString kNoPrivilege = QStringLiteral("42501");

QString timeText(const QDateTime& t)
{
    return t.toUTC().toString(Qt::ISODateWithMs);
}

QString dayText(const QDate& d)
{
    return d.toString(Qt::ISODate);
}

// Times come back as milliseconds since the epoch (see kMs), whatever the server's time zone.
QDateTime timeFrom(const PgRecordSet& row, int column)
{
    return row.isNull(column) ? QDateTime()
                              : QDateTime::fromMSecsSinceEpoch(row.int64(column), Qt::UTC);
}

#define KAVRI_MS(column) "(extract(epoch from " column ") * 1000)::bigint"

const char* const kSummaryColumns = "e.id, e.number, " KAVRI_MS(
    "e.created_at") ", e.name, e.id_number, e.company, e.leave_date,"
                    " to_char(e.leave_day, 'YYYY-MM-DD'), e.last_event_kind, " KAVRI_MS(
                        "e.last_event_at") ", e.delivery, to_char(e.transfer_day, 'YYYY-MM-DD')";

EntrySummary readSummary(const PgRecordSet& row)
{
    EntrySummary e;
    e.id = row.int64(0);
    e.number = row.text(1);
    e.createdAt = timeFrom(row, 2);
    e.name = row.text(3);
    e.idNumber = row.text(4);
    e.company = row.text(5);
    e.leaveDate = row.text(6);
    e.leaveDay = QDate::fromString(row.text(7), Qt::ISODate);
    e.issued = !row.isNull(8);
    e.lastEventKey = row.text(8);
    e.lastEventAt = timeFrom(row, 9);
    if (!row.isNull(10)) {
        e.delivery = deliveryFromDetail(row.text(10));
    }
    e.transferDay = QDate::fromString(row.text(11), Qt::ISODate);
    return e;
}

// The WHERE clause of a search and its values, numbered $1, $2... in order.
struct Filter
{
    QByteArray where;
    QList<Param> values;
};

Filter filterFor(const SearchQuery& q)
{
    Filter f;
    auto add = [&f](const char* condition, const QString& value) {
        f.where += f.where.isEmpty() ? " where " : " and ";
        f.values << value;
        f.where += QByteArray(condition).replace("$?", "$" + QByteArray::number(f.values.size()));
    };
    if (!q.name.trimmed().isEmpty()) {
        add("strpos(e.name, $?) > 0", q.name.trimmed());
    }
    // ID numbers are stored in capitals; a whole one is looked up in the index.
    const QString id = q.idNumber.trimmed().toUpper();
    if (id.size() >= kShortestWholeId) {
        add("e.id_number = $?", id);
    } else if (!id.isEmpty()) {
        add("strpos(e.id_number, $?) > 0", id);
    }
    if (!q.number.trimmed().isEmpty()) {
        add("strpos(e.number, $?) > 0", q.number.trimmed().toUpper());
    }
    if (q.dateField == DateField::Leaving) {
        if (q.from.isValid()) {
            add("e.leave_day >= $?::date", dayText(q.from));
        }
        if (q.to.isValid()) {
            add("e.leave_day <= $?::date", dayText(q.to));
        }
    } else {
        // Creation dates are the local calendar days of this computer.
        if (q.from.isValid()) {
            add("e.created_at >= $?::timestamptz", timeText(QDateTime(q.from, QTime(0, 0))));
        }
        if (q.to.isValid()) {
            add("e.created_at < $?::timestamptz",
                timeText(QDateTime(q.to.addDays(1), QTime(0, 0))));
        }
    }
    if (q.undeliveredOnly) {
        f.where += f.where.isEmpty() ? " where " : " and ";
        f.where += "e.last_event_kind is not null and e.received_day is null";
    }
    return f;
}

// Entries whose leaving day, creation and last event all lie before the cutoff day $1.
const char* const kRetentionWhere =
    " where e.leave_day is not null and e.leave_day < $1::date"
    " and e.created_at < ($1::date)::timestamp at time zone 'UTC'"
    " and coalesce(e.last_event_at, '-infinity') < ($1::date)::timestamp at time zone 'UTC'";

// The template is stored once per (name, text): the id of the one stored, made when missing.
const char* const kTemplateId =
    "with found as (select id from register_template where name = $1 and text = $2"
    "               order by id limit 1),"
    " made as (insert into register_template (name, text) select $1, $2"
    "          where not exists (select from found) returning id)"
    " select id from found union all select id from made";

// The entry, its form values (two arrays of the same length, in form order) and its first
// version, in one statement.
const char* const kInsertEntry =
    "with e as (insert into register_entry (number, year, seq, created_at, operator_name,"
    "        template_id, name, id_number, company, leave_date, leave_day)"
    "       values ($1, $2::integer, $3::integer, $4::timestamptz, $5, $6::bigint, $7, $8, $9,"
    "              $10, $11::date) returning id),"
    " v as (insert into register_value (entry_id, position, key, value)"
    "       select e.id, x.ord - 1, x.k, x.v"
    "       from e, unnest($12::text[], $13::text[]) with ordinality as x(k, v, ord)),"
    " ver as (insert into register_version (entry_id, version_no, text, sha256, norm_sha256,"
    "         created_at) select e.id, 1, $14, $15, $16, $4::timestamptz from e)"
    " select id from e";

// The entry, locked for this transaction so that two clerks recording a new text of the same
// certificate at once give it two version numbers one after the other, and the version that
// already has this text, if any.
const char* const kLockEntryFindVersion =
    "select e.id, v.id, v.version_no from register_entry e"
    " left join register_version v on v.entry_id = e.id and v.sha256 = $2"
    " where e.id = $1::bigint for update of e";

const char* const kInsertVersion =
    "insert into register_version (entry_id, version_no, text, sha256, norm_sha256, created_at)"
    " select $1::bigint, coalesce(max(version_no), 0) + 1, $2, $3, $4, $5::timestamptz"
    " from register_version where entry_id = $1::bigint returning id, version_no";

const char* const kInsertEvent =
    "with ev as (insert into register_event (entry_id, version_id, kind, at, sha256, detail)"
    "            values ($1::bigint, $2::bigint, $3, $4::timestamptz, $5, $6))"
    " update register_entry set last_event_kind = $3, last_event_at = $4::timestamptz"
    " where id = $1::bigint";

// A duty: the event refers to the entry's newest version, and the entry's columns of the
// duty are set ($6 the kind: a delivery sets the record and its receipt day $7, a transfer
// its day $7).
const char* const kInsertDutyEvent =
    "with v as (select id, version_no, sha256 from register_version where entry_id = $1::bigint"
    "           order by version_no desc limit 1),"
    " ev as (insert into register_event (entry_id, version_id, kind, at, sha256, detail)"
    "        select $1::bigint, v.id, $2, $3::timestamptz, v.sha256, $4 from v),"
    " e as (update register_entry set"
    "       delivery = case when $2 = 'delivered' then $4 else delivery end,"
    "       received_day = case when $2 = 'delivered' then $5::date else received_day end,"
    "       transfer_day = case when $2 = 'transferred' then $5::date else transfer_day end"
    "       where id = $1::bigint and exists (select from v))"
    " select version_no from v";

// The row of statement i in a batch that went through; null when it failed or gave no row.
const PgRecordSet* rowOf(const PgConnection::BatchOutcome& batch, size_t i)
{
    return batch.ok && i < batch.rows.size() && batch.rows[i] && !batch.rows[i]->isEof()
               ? batch.rows[i].get()
               : nullptr;
}

// A failed delete as the user should read it: a clerk learns who may delete.
QString deleteFailure(const PgConnection& connection, const QString& error)
{
    if (connection.lastSqlState() == kNoPrivilege &&
        error.startsWith(QLatin1String("permission denied"))) {
        return QStringLiteral("只有登记簿管理员（kavri_admin 角色）可以删除登记簿条目；"
                              "服务器拒绝了本次删除，没有删除任何条目。");
    }
    return error;
}

} // namespace

QString pgTextArray(const QStringList& items)
{
    QString text = QStringLiteral("{");
    for (qsizetype i = 0; i < items.size(); ++i) {
        QString item = items[i];
        item.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        item.replace(QLatin1Char('"'), QLatin1String("\\\""));
        text += (i > 0 ? QStringLiteral(",\"") : QStringLiteral("\"")) + item + QLatin1Char('"');
    }
    return text + QLatin1Char('}');
}

std::unique_ptr<PgRegisterStorage> PgRegisterStorage::open(const QString& conninfo, QString* error)
{
    QString ignored;
    if (!error) {
        error = &ignored;
    }
    std::shared_ptr<PgConnection> connection = PgConnection::open(conninfo, error);
    if (!connection) {
        return nullptr;
    }
    const auto tables = connection->query("select to_regclass('register_entry') is not null and"
                                          " to_regclass('register_counter') is not null",
                                          {}, error);
    if (!tables) {
        return nullptr;
    }
    if (tables->text(0) != QLatin1String("t")) {
        *error = QStringLiteral("服务器上没有登记簿的表，请管理员先运行 kavri-cli server init");
        return nullptr;
    }
    return std::make_unique<PgRegisterStorage>(std::move(connection));
}

PgRegisterStorage::PgRegisterStorage(std::shared_ptr<PgConnection> connection)
    : m_connection(std::move(connection))
{
}

PgRegisterStorage::~PgRegisterStorage() = default;

qint64 PgRegisterStorage::insertEntry(PgConnection& connection, const EntryRecord& r,
                                      const QString& number, qint64 sequence, const QString& text,
                                      QString* error)
{
    const auto templateId =
        connection.query(kTemplateId, {r.entry.templateName, r.entry.templateText}, error);
    if (!templateId || templateId->isEof()) {
        return 0;
    }
    const auto made = connection.query(
        kInsertEntry, entryParams(r, templateId->int64(0), number, sequence, text), error);
    return made && !made->isEof() ? made->int64(0) : 0;
}

QList<std::optional<QString>> PgRegisterStorage::entryParams(const EntryRecord& r,
                                                             qint64 templateId,
                                                             const QString& number, qint64 sequence,
                                                             const QString& text)
{
    QStringList keys;
    QStringList values;
    for (const FormValue& v : r.entry.values) {
        keys << v.key;
        values << v.value;
    }
    const QList<Param> params{
        number,
        QString::number(r.year),
        QString::number(sequence),
        timeText(r.createdAt),
        r.operatorName,
        QString::number(templateId),
        r.name,
        r.idNumber,
        r.company,
        r.leaveDate,
        r.leaveDay.isValid() ? Param(dayText(r.leaveDay)) : Param(),
        pgTextArray(keys),
        pgTextArray(values),
        text,
        sha256Hex(text),
        sha256Hex(normalizeLineBreaks(text)),
    };
    return params;
}

std::optional<IssuedEntry> PgRegisterStorage::addEntry(const EntryRecord& r,
                                                       const Composer& compose, QString* error)
{
    // From the number to the commit the year's counter row is this clerk's and the next one
    // waits, so the number is the last thing the first round trip does (after the template,
    // which needs no number), and the entry goes with the COMMIT in the second.
    PgConnection::BatchOutcome opened =
        m_connection->beginBatch({}, {{kTemplateId, {r.entry.templateName, r.entry.templateText}},
                                      {PgSchema::kNextRegisterSequence, {QString::number(r.year)}}});
    const PgRecordSet* templateRow = rowOf(opened, 0);
    const PgRecordSet* next = rowOf(opened, 1);
    if (!templateRow || !next) {
        m_connection->rollback();
        *error = opened.ok ? PgConnection::kRolledBack : opened.error;
        return std::nullopt;
    }
    IssuedEntry issued;
    const qint64 sequence = next->int64(0);
    issued.number = formatNumber(r.numberPrefix, r.year, sequence);
    issued.text = compose ? compose(issued.number) : QString();
    const PgConnection::BatchOutcome made = m_connection->commitBatch(
        {{kInsertEntry,
          entryParams(r, templateRow->int64(0), issued.number, sequence, issued.text)}});
    const PgRecordSet* entryRow = rowOf(made, 0);
    if (!entryRow) {
        *error = made.ok ? PgConnection::kRolledBack : made.error;
        return std::nullopt;
    }
    issued.id = entryRow->int64(0);
    return issued;
}

std::optional<QList<int>> PgRegisterStorage::recordEvents(const QList<Leaving>& leavings,
                                                         const QDateTime& at,
                                                         const BeforeCommit& beforeCommit,
                                                         QString* error)
{
    if (!m_connection->begin({}, error)) {
        return std::nullopt;
    }
    QList<int> versions;
    for (const Leaving& leaving : leavings) {
        const std::optional<int> version = recordOneEvent(leaving, at, error);
        if (!version) {
            m_connection->rollback();
            return std::nullopt;
        }
        versions << *version;
    }
    if (beforeCommit && !beforeCommit(error)) {
        m_connection->rollback();
        return std::nullopt;
    }
    if (!m_connection->commit(error)) {
        return std::nullopt;
    }
    return versions;
}

std::optional<int> PgRegisterStorage::recordOneEvent(const Leaving& leaving, const QDateTime& at,
                                                     QString* error)
{
    const qint64 entryId = leaving.entryId;
    const QString& text = leaving.text;
    const QString id = QString::number(entryId);
    const QString sha = sha256Hex(text);
    const auto found = m_connection->query(kLockEntryFindVersion, {id, sha}, error);
    if (!found || found->isEof()) {
        if (found) {
            *error = QStringLiteral("no register entry %1").arg(entryId);
        }
        return std::nullopt;
    }
    qint64 versionId = found->int64(1);
    int versionNo = int(found->int64(2));
    if (found->isNull(1)) {
        const auto made = m_connection->query(
            kInsertVersion, {id, text, sha, sha256Hex(normalizeLineBreaks(text)), timeText(at)},
            error);
        if (!made || made->isEof()) {
            return std::nullopt;
        }
        versionId = made->int64(0);
        versionNo = int(made->int64(1));
    }
    if (!m_connection->query(kInsertEvent,
                             {id, QString::number(versionId), eventKindKey(leaving.kind),
                              timeText(at), sha, leaving.detail},
                             error)) {
        return std::nullopt;
    }
    return versionNo;
}

std::optional<int> PgRegisterStorage::recordDuty(qint64 entryId, const DutyRecord& duty,
                                                 const QDateTime& at, QString* error)
{
    const auto made = m_connection->query(
        kInsertDutyEvent,
        {QString::number(entryId), eventKindKey(duty.kind), timeText(at), duty.detail,
         duty.day.isValid() ? Param(dayText(duty.day)) : Param()},
        error);
    if (!made) {
        return std::nullopt;
    }
    if (made->isEof()) {
        *error = QStringLiteral("no register entry %1").arg(entryId);
        return std::nullopt;
    }
    return int(made->int64(0));
}

std::optional<QList<EntrySummary>> PgRegisterStorage::search(const SearchQuery& query,
                                                             QString* error)
{
    const Filter f = filterFor(query);
    QByteArray sql = QByteArray("select ") + kSummaryColumns + " from register_entry e" + f.where +
                     " order by e.id desc";
    if (query.limit > 0) {
        sql += " limit " + QByteArray::number(query.limit) + " offset " +
               QByteArray::number(std::max(0, query.offset));
    }
    const auto rows = m_connection->query(sql, f.values, error);
    if (!rows) {
        return std::nullopt;
    }
    QList<EntrySummary> result;
    result.reserve(rows->rowCount());
    for (; !rows->isEof(); rows->moveNext()) {
        result << readSummary(*rows);
    }
    return result;
}

std::optional<qint64> PgRegisterStorage::count(const SearchQuery& query, QString* error)
{
    const Filter f = filterFor(query);
    const auto rows = m_connection->query(
        QByteArray("select count(*) from register_entry e") + f.where, f.values, error);
    if (!rows || rows->isEof()) {
        return std::nullopt;
    }
    return rows->int64(0);
}

std::optional<Entry> PgRegisterStorage::entry(qint64 id, QString* error)
{
    const QList<Param> key{QString::number(id)};
    const auto summary = m_connection->query(
        QByteArray("select ") + kSummaryColumns +
            ", e.operator_name, t.name, t.text from register_entry e"
            " left join register_template t on t.id = e.template_id where e.id = $1::bigint",
        key, error);
    if (!summary) {
        return std::nullopt;
    }
    if (summary->isEof()) {
        *error = QStringLiteral("no register entry %1").arg(id);
        return std::nullopt;
    }
    Entry e;
    e.summary = readSummary(*summary);
    e.operatorName = summary->text(12);
    e.templateName = summary->text(13);
    e.templateText = summary->text(14);
    const auto values = m_connection->query(
        "select key, value from register_value where entry_id = $1::bigint order by position", key,
        error);
    const auto versions =
        values ? m_connection->query("select id, version_no, text, sha256, " KAVRI_MS(
                                         "created_at") " from register_version"
                                                       " where entry_id = $1::bigint"
                                                       " order by version_no",
                                     key, error)
               : nullptr;
    const auto events =
        versions
            ? m_connection->query("select ev.id, ev.kind, " KAVRI_MS(
                                      "ev.at") ", v.version_no, ev.sha256, ev.detail"
                                               " from register_event ev join register_version v on "
                                               "v.id = ev.version_id"
                                               " where ev.entry_id = $1::bigint order by ev.id",
                                  key, error)
            : nullptr;
    if (!events) {
        return std::nullopt;
    }
    for (; !values->isEof(); values->moveNext()) {
        e.values << FormValue{values->text(0), values->text(1)};
    }
    for (; !versions->isEof(); versions->moveNext()) {
        e.versions << Version{versions->int64(0), int(versions->int64(1)), versions->text(2),
                              versions->text(3), timeFrom(*versions, 4)};
    }
    for (; !events->isEof(); events->moveNext()) {
        Event ev;
        ev.id = events->int64(0);
        ev.kind = eventKindFromKey(events->text(1)).value_or(EventKind::Copied);
        ev.at = timeFrom(*events, 2);
        ev.versionNo = int(events->int64(3));
        ev.sha256 = events->text(4);
        ev.detail = events->text(5);
        e.events << ev;
    }
    return e;
}

std::optional<qint64> PgRegisterStorage::findByNumber(const QString& number, QString* error)
{
    const auto rows = m_connection->query("select id from register_entry where number = $1",
                                          {number.trimmed().toUpper()}, error);
    if (!rows) {
        return std::nullopt;
    }
    return rows->isEof() ? qint64(0) : rows->int64(0);
}

std::optional<std::pair<qint64, int>>
PgRegisterStorage::findByNormalizedHash(const QString& normalizedSha256, QString* error)
{
    const auto rows = m_connection->query(
        "select entry_id, version_no from register_version where norm_sha256 = $1"
        " order by entry_id desc limit 1",
        {normalizedSha256}, error);
    if (!rows) {
        return std::nullopt;
    }
    if (rows->isEof()) {
        return std::pair<qint64, int>(0, 0);
    }
    return std::pair<qint64, int>(rows->int64(0), int(rows->int64(1)));
}

std::optional<qint64> PgRegisterStorage::countExpired(const QDate& cutoff, QString* error)
{
    const auto rows =
        m_connection->query(QByteArray("select count(*) from register_entry e") + kRetentionWhere,
                            {dayText(cutoff)}, error);
    if (!rows || rows->isEof()) {
        return std::nullopt;
    }
    return rows->int64(0);
}

std::optional<qint64> PgRegisterStorage::deleteExpired(const QDate& cutoff, qint64 expected,
                                                       QString* error)
{
    if (!m_connection->begin({}, error)) {
        return std::nullopt;
    }
    const std::optional<qint64> now = countExpired(cutoff, error);
    if (!now) {
        m_connection->rollback();
        return std::nullopt;
    }
    if (*now != expected) {
        m_connection->rollback();
        *error = QStringLiteral("expected %1 expired entries, found %2").arg(expected).arg(*now);
        return std::nullopt;
    }
    const auto deleted =
        m_connection->query(QByteArray("with d as (delete from register_entry e") +
                                kRetentionWhere + " returning 1) select count(*) from d",
                            {dayText(cutoff)}, error);
    if (!deleted || deleted->isEof()) {
        *error = deleteFailure(*m_connection, *error);
        m_connection->rollback();
        return std::nullopt;
    }
    const qint64 count = deleted->int64(0);
    if (!m_connection->commit(error)) {
        return std::nullopt;
    }
    return count;
}

} // namespace Register
