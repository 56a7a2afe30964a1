#include "register/PgRegisterStorage.h"

#include "register/CertificateNumber.h"
#include "register/RegisterChain.h"
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

// A clerk writes only through the server's functions (see store/pg/PgRegisterSchema.h), which
// take the operator and the time themselves.
constexpr PgConnection::Commit kAsynchronous = PgConnection::Commit::Asynchronous;
constexpr PgConnection::Commit kWaitsForDisk = PgConnection::Commit::WaitsForDisk;
const char* const kReserve = "select reserved_id, reserved_number from register_reserve($1)";
const char* const kReserveEntry = "select reserved_id, reserved_number from"
                                  " register_reserve_entry($1, $2, $3, $4, $5, $6, $7, $8::date)";
const char* const kRecord =
    "select register_record($1::bigint, $2, $3, $4::text[], $5::text[], $6, $7, $8, $9,"
    " $10::date, $11)";
const char* const kRecordLinked =
    "select register_record_linked($1::bigint, $2, $3, $4::text[], $5::text[], $6, $7, $8, $9,"
    " $10::date, $11)";
const char* const kFlush = "select register_flush()";
const char* const kEvent = "select register_event($1::bigint, $2, $3, $4)";
const char* const kDuty = "select register_duty($1::bigint, $2, $3, $4::date)";
const char* const kSeal = "select register_seal()";
// After a write: links unless another clerk is linking at this moment. Their call, or the next
// one, takes this clerk's rows too (the audit links whatever is left and waits for it), so
// twenty clerks do not queue one behind the other at the chain's head after every Generate.
const char* const kSealUnlessBusy =
    "select register_seal_recent() where pg_try_advisory_xact_lock(7316033477161305)";
// The same on a server whose functions came before register_seal_recent().
const char* const kSealAllUnlessBusy =
    "select register_seal() where pg_try_advisory_xact_lock(7316033477161305)";
const char* const kDeleteExpired = "select register_delete_expired($1::date, $2::bigint)";

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
    const auto tables = connection->query(
        "select to_regclass('register_entry') is not null and"
        " to_regclass('register_counter') is not null,"
        " to_regprocedure('register_seal_recent()') is not null,"
        " to_regprocedure('register_record_linked(bigint, text, text, text[], text[], text, text,"
        " text, text, date, text)') is not null and to_regprocedure('register_flush()') is not null"
        " and to_regprocedure('register_reserve_entry(text, text, text, text, text, text, text,"
        " date)') is not null",
        {}, error);
    if (!tables) {
        return nullptr;
    }
    if (tables->text(0) != QLatin1String("t")) {
        *error = QStringLiteral("服务器上没有登记簿的表，请管理员先运行 kavri-cli server init");
        return nullptr;
    }
    ServerFunctions functions;
    functions.sealsRecent = tables->text(1) == QLatin1String("t");
    functions.recordsLinked = tables->text(2) == QLatin1String("t");
    return std::make_unique<PgRegisterStorage>(std::move(connection), functions);
}

PgRegisterStorage::PgRegisterStorage(std::shared_ptr<PgConnection> connection,
                                     ServerFunctions functions)
    : m_connection(std::move(connection)), m_functions(functions)
{
}

PgRegisterStorage::~PgRegisterStorage() = default;

std::optional<IssuedEntry> PgRegisterStorage::addEntry(const EntryRecord& r,
                                                       const Composer& compose, QString* error)
{
    // The number is reserved in a transaction of its own that holds the year's counter row only
    // while the server runs it, and commits without waiting for the disk: what follows the entry
    // waits for the disk, and the server writes its log in order, so once the entry is safe its
    // number is too. A reservation whose entry never comes stays a draft (未出具) with
    // that number, and the year's numbers keep no gap.
    // Sent again once over a connection found broken (the server restarted since the last
    // Generate): at worst a number is taken twice and the first stays a draft.
    const Param leaveDay = r.leaveDay.isValid() ? Param(dayText(r.leaveDay)) : Param();
    // The draft holds the template and the list columns from the start when the server can, so
    // that recording the text does not write the entry a second time.
    const PgConnection::Statement reserve =
        m_functions.recordsLinked
            ? PgConnection::Statement{kReserveEntry,
                                      {r.numberPrefix, r.entry.templateName, r.entry.templateText,
                                       r.name, r.idNumber, r.company, r.leaveDate, leaveDay}}
            : PgConnection::Statement{kReserve, {r.numberPrefix}};
    PgConnection::BatchOutcome reserved =
        m_connection->runBatch({}, {reserve}, true, kAsynchronous);
    const PgRecordSet* row = rowOf(reserved, 0);
    if (!row) {
        *error = reserved.ok ? PgConnection::kRolledBack : reserved.error;
        return std::nullopt;
    }
    IssuedEntry issued;
    issued.id = row->int64(0);
    issued.number = row->text(1);
    issued.text = compose ? compose(issued.number) : QString();
    QStringList keys;
    QStringList values;
    for (const FormValue& v : r.entry.values) {
        keys << v.key;
        values << v.value;
    }
    const QList<Param> params{QString::number(issued.id),
                              r.entry.templateName,
                              r.entry.templateText,
                              pgTextArray(keys),
                              pgTextArray(values),
                              r.name,
                              r.idNumber,
                              r.company,
                              r.leaveDate,
                              leaveDay,
                              issued.text};
    if (m_functions.recordsLinked) {
        // The entry links its version as it is written, holding the chain's head until its
        // commit; that commit does not wait for the disk, so the head is let go at once. The
        // flush that follows in the same round trip waits for the disk, and the server writes
        // its log in order: once it returns, the entry (and its number) are safe.
        const PgConnection::BatchOutcome recorded = m_connection->runBatchThen(
            {}, {{kRecordLinked, params}}, {{kFlush, {}}}, kAsynchronous, kWaitsForDisk);
        if (!recorded.ok || !recorded.thenOk) {
            *error = recorded.ok ? recorded.thenError : recorded.error;
            return std::nullopt;
        }
        return issued;
    }
    // A server whose functions came before: the entry's commit waits for the disk; the chain is
    // linked right after it, in the same round trip, in a transaction of its own that does not
    // (see seal()).
    const PgConnection::BatchOutcome recorded = m_connection->runBatchThen(
        {}, {{kRecord, params}}, {{sealStatement(), {}}}, kWaitsForDisk, kAsynchronous);
    if (!recorded.ok) {
        *error = recorded.error;
        return std::nullopt;
    }
    return issued;
}

std::optional<QList<int>> PgRegisterStorage::recordEvents(const QList<Leaving>& leavings,
                                                         const QDateTime& at,
                                                         const BeforeCommit& beforeCommit,
                                                         QString* error)
{
    // The server's clock gives the time, and each leaving goes through the server's function.
    Q_UNUSED(at);
    if (!m_connection->begin({}, error)) {
        return std::nullopt;
    }
    QList<int> versions;
    for (const Leaving& leaving : leavings) {
        const std::optional<int> version = recordOneEvent(leaving, error);
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
    seal();
    return versions;
}

std::optional<int> PgRegisterStorage::recordOneEvent(const Leaving& leaving, QString* error)
{
    const auto row = m_connection->query(kEvent,
                                         {QString::number(leaving.entryId),
                                          eventKindKey(leaving.kind), leaving.text, leaving.detail},
                                         error);
    if (!row) {
        return std::nullopt;
    }
    if (row->isEof()) {
        *error = PgConnection::kRolledBack;
        return std::nullopt;
    }
    return int(row->int64(0));
}

std::optional<int> PgRegisterStorage::recordDuty(qint64 entryId, const DutyRecord& duty,
                                                 const QDateTime& at, QString* error)
{
    // The server's clock gives the time, as for every event.
    Q_UNUSED(at);
    const PgConnection::BatchOutcome recorded = m_connection->runBatch(
        {},
        {{kDuty,
          {QString::number(entryId), eventKindKey(duty.kind), duty.detail,
           duty.day.isValid() ? Param(dayText(duty.day)) : Param()}}},
        false);
    const PgRecordSet* row = rowOf(recorded, 0);
    if (!row) {
        *error = recorded.ok ? PgConnection::kRolledBack : recorded.error;
        return std::nullopt;
    }
    const int versionNo = int(row->int64(0));
    seal();
    return versionNo;
}

bool PgRegisterStorage::seal()
{
    // Linking is a transaction of its own after the rows it links are committed: the chain's
    // head is locked only while the server links, never while a commit waits for the disk. If
    // it is lost, the next one links the same rows.
    return m_connection->runBatch({}, {{sealStatement(), {}}}, true, kAsynchronous).ok;
}

const char* PgRegisterStorage::sealStatement() const
{
    return m_functions.sealsRecent ? kSealUnlessBusy : kSealAllUnlessBusy;
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
                                         "created_at") ", operator_name from register_version"
                                                       " where entry_id = $1::bigint"
                                                       " order by version_no",
                                     key, error)
               : nullptr;
    const auto events =
        versions
            ? m_connection->query("select ev.id, ev.kind, " KAVRI_MS(
                                      "ev.at") ", v.version_no, ev.sha256, ev.operator_name,"
                                               " ev.detail"
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
                              versions->text(3), timeFrom(*versions, 4), versions->text(5)};
    }
    for (; !events->isEof(); events->moveNext()) {
        Event ev;
        ev.id = events->int64(0);
        ev.kind = eventKindFromKey(events->text(1)).value_or(EventKind::Copied);
        ev.at = timeFrom(*events, 2);
        ev.versionNo = int(events->int64(3));
        ev.sha256 = events->text(4);
        ev.operatorName = events->text(5);
        ev.detail = events->text(6);
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
    const PgConnection::BatchOutcome deleted = m_connection->runBatch(
        {}, {{kDeleteExpired, {dayText(cutoff), QString::number(expected)}}}, false);
    const PgRecordSet* row = rowOf(deleted, 0);
    if (!row) {
        *error = deleteFailure(*m_connection, deleted.ok ? PgConnection::kRolledBack
                                                         : deleted.error);
        return std::nullopt;
    }
    seal();
    return row->int64(0);
}

} // namespace Register

namespace Register {

namespace {

// A server's answer as the audit reads it.
class RecordCursor final : public Chain::AuditCursor
{
public:
    explicit RecordCursor(std::unique_ptr<PgRecordSet> rows) : m_rows(std::move(rows)) {}
    bool next() override
    {
        if (!m_rows) {
            return false;
        }
        if (m_started) {
            m_rows->moveNext();
        }
        m_started = true;
        return !m_rows->isEof();
    }
    bool failed() const override { return !m_rows; }
    QString text(int column) const override { return m_rows->text(column); }
    QByteArrayView bytes(int column) const override { return m_rows->bytes(column); }
    qint64 integer(int column) const override { return m_rows->int64(column); }
    bool isNull(int column) const override { return m_rows->isNull(column); }

private:
    std::unique_ptr<PgRecordSet> m_rows;
    bool m_started = false;
};

} // namespace

std::optional<AuditResult> PgRegisterStorage::audit(const QString& since, QString* error)
{
    // What was written and not yet linked (a desk that lost its connection in between) is linked
    // first, and waited for: a head the audit prints is one the server keeps.
    if (!m_connection->query(kSeal, {}, error)) {
        return std::nullopt;
    }
    // Every table from one snapshot, however the clerks write meanwhile.
    if (!m_connection->query("begin isolation level repeatable read read only", {}, error)) {
        return std::nullopt;
    }
    const auto read = [this, error](const char* sql) {
        return RecordCursor(m_connection->query(sql, {}, error));
    };
    RecordCursor templates = read("select id, name, text from register_template");
    RecordCursor entries =
        read("select id, number, year, seq, register_time(created_at), operator_name,"
             " coalesce(template_id, 0), name, id_number, company, leave_date, last_event_kind,"
             " register_time(last_event_at) from register_entry order by id");
    RecordCursor values =
        read("select entry_id, key, value from register_value order by entry_id, position");
    RecordCursor counters = read("select year, last_seq from register_counter");
    RecordCursor deletions =
        read("select chain_pos, link, register_time(at), operator_name, reason, numbers, removed"
             " from register_deletion order by chain_pos");
    RecordCursor head = read("select pos, link from register_chain_head");
    RecordCursor versions =
        read("select id, entry_id, version_no, text, sha256, norm_sha256,"
             " register_time(created_at), operator_name, chain_pos, link from register_version"
             " order by chain_pos");
    RecordCursor events =
        read("select entry_id, version_id, kind, register_time(at), operator_name, sha256,"
             " chain_pos, link, detail from register_event order by chain_pos");
    // The versions of events linked before them, from the same snapshot.
    QHash<qint64, std::pair<int, QByteArray>> early;
    const auto laterVersions = m_connection->query(
        "select v.id, v.version_no, v.sha256 from register_version v join register_event ev"
        " on ev.version_id = v.id where v.chain_pos is null or v.chain_pos > ev.chain_pos",
        {}, error);
    for (; laterVersions && !laterVersions->isEof(); laterVersions->moveNext()) {
        early.insert(laterVersions->int64(0),
                     {int(laterVersions->int64(1)), laterVersions->text(2).toUtf8()});
    }
    m_connection->query("commit", {}, nullptr);
    if (!laterVersions) {
        return std::nullopt;
    }
    Chain::AuditInput input{templates, entries,  values,   counters,
                            deletions, head,     versions, events, {}};
    input.versionOf = [&early](qint64 id) -> std::optional<std::pair<int, QByteArray>> {
        const auto it = early.constFind(id);
        return it != early.cend() ? std::optional(*it) : std::nullopt;
    };
    return Chain::auditRegister(input, since);
}

} // namespace Register
