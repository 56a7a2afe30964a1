#include "register/SqliteRegisterStorage.h"

#include "register/AuditPrefetch.h"
#include "register/CertificateNumber.h"
#include "register/RegisterChain.h"
#include "register/RegisterFiles.h"
#include "register/RegisterSql.h"
#include "register/RegisterText.h"
#include "register/SqliteStatement.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <sqlite3.h>

namespace Register {

namespace {

// The old resident ID had 15 characters, the current one 18.
constexpr qsizetype kShortestWholeId = 15;

QString timeText(const QDateTime& t)
{
    return t.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime timeFrom(const QString& text)
{
    return text.isEmpty() ? QDateTime() : QDateTime::fromString(text, Qt::ISODateWithMs);
}

QString dayText(const QDate& d)
{
    return d.toString(Qt::ISODate);
}

// Where a search by creation date starts and ends, as time texts: the local calendar days.
QString localDayStart(const QDate& d)
{
    return timeText(QDateTime(d, QTime(0, 0)));
}

EntrySummary readSummary(const SqliteStatement& s)
{
    EntrySummary e;
    e.id = s.integer(0);
    e.number = s.text(1);
    e.createdAt = timeFrom(s.text(2));
    e.name = s.text(3);
    e.idNumber = s.text(4);
    e.company = s.text(5);
    e.leaveDate = s.text(6);
    e.leaveDay = QDate::fromString(s.text(7), Qt::ISODate);
    e.issued = !s.isNull(8);
    e.lastEventKey = s.text(8);
    e.lastEventAt = timeFrom(s.text(9));
    if (!s.isNull(10)) {
        e.delivery = deliveryFromDetail(s.text(10));
    }
    e.transferDay = QDate::fromString(s.text(11), Qt::ISODate);
    return e;
}

// The WHERE clause of a search and its values, in order of their "?".
struct Filter
{
    QByteArray where;
    QStringList values;
};

Filter filterFor(const SearchQuery& q)
{
    Filter f;
    auto add = [&f](const char* condition, const QString& value) {
        f.where += f.where.isEmpty() ? " WHERE " : " AND ";
        f.where += condition;
        f.values << value;
    };
    if (!q.name.trimmed().isEmpty()) {
        add("instr(e.name, ?) > 0", q.name.trimmed());
    }
    // ID numbers are stored in capitals. A whole one is looked up in the index; a part of one
    // (the last four digits, a birth date) is looked for in every entry.
    const QString id = q.idNumber.trimmed().toUpper();
    if (id.size() >= kShortestWholeId) {
        add("e.id_number = ?", id);
    } else if (!id.isEmpty()) {
        add("instr(e.id_number, ?) > 0", id);
    }
    if (!q.number.trimmed().isEmpty()) {
        add("instr(e.number, ?) > 0", q.number.trimmed().toUpper());
    }
    if (q.dateField == DateField::Leaving) {
        if (q.from.isValid()) {
            add("e.leave_day >= ?", dayText(q.from));
        }
        if (q.to.isValid()) {
            add("e.leave_day <= ?", dayText(q.to));
        }
    } else {
        if (q.from.isValid()) {
            add("e.created_at >= ?", localDayStart(q.from));
        }
        if (q.to.isValid()) {
            add("e.created_at < ?", localDayStart(q.to.addDays(1)));
        }
    }
    if (q.undeliveredOnly) {
        f.where += f.where.isEmpty() ? " WHERE " : " AND ";
        f.where += "e.last_event_kind IS NOT NULL AND e.received_day IS NULL";
    }
    return f;
}

void bindAll(SqliteStatement& s, const QStringList& values)
{
    for (int i = 0; i < values.size(); ++i) {
        s.bind(i + 1, values[i]);
    }
}

bool fail(sqlite3* db, QString* error)
{
    *error = sqliteError(db);
    return false;
}

} // namespace

SqliteRegisterStorage::SqliteRegisterStorage(sqlite3* db, QString path)
    : m_db(db), m_path(std::move(path))
{
}

SqliteRegisterStorage::~SqliteRegisterStorage()
{
    sqlite3_close_v2(m_db);
}

std::unique_ptr<SqliteRegisterStorage>
SqliteRegisterStorage::open(const QString& path, QString* error, int schemaVersion)
{
    QString ignored;
    if (!error) {
        error = &ignored;
    }
    // A register that is not there yet, or is being made by another copy of the program, is
    // opened under the lock beside it: the first copy makes the file, its key and its tables,
    // and the others wait for it. A connection must never apply the key to the file while it
    // is still empty: SQLCipher would take a salt of its own and then cannot read the file the
    // other copy writes.
    const QString lockPath = lockPathFor(path);
    const QFileInfo file(path);
    std::optional<QLockFile> lock;
    if (!file.exists() || file.size() == 0 || QFileInfo::exists(lockPath)) {
        lock.emplace(lockPath);
        // Only a lock whose process has ended is taken over: migrating a large register may
        // take longer than QLockFile's default of half a minute.
        lock->setStaleLockTime(0);
        if (!lock->tryLock(kCreateWaitMs)) {
            *error = lock->error() == QLockFile::LockFailedError
                         ? QStringLiteral("another program has been making the register for "
                                          "%1 s")
                               .arg(kCreateWaitMs / 1000)
                         : QStringLiteral("cannot make the lock file %1").arg(lockPath);
            return nullptr;
        }
    }
    const bool exists = QFileInfo::exists(path);
    const std::optional<QByteArray> key = loadOrCreateKey(keyPathFor(path), !exists, error);
    if (!key) {
        return nullptr;
    }
    // A register made now has 4 KB cipher pages: a version's text then fits in its page instead
    // of spilling onto a second one, and reading the whole register decrypts a third fewer
    // bytes in a quarter as many pages. A file made before keeps SQLCipher's 1 KB pages. An
    // encrypted file does not tell its page size, so an existing file is opened with one size
    // and, when its first page does not decrypt, with the other: every page carries an HMAC,
    // so the wrong size fails on the first page instead of reading anything.
    sqlite3* const db = openFile(path, *key, error);
    if (!db) {
        return nullptr;
    }
    std::unique_ptr<SqliteRegisterStorage> storage(new SqliteRegisterStorage(db, path));
    // As the library: the write-ahead log makes a commit one append; foreign keys make deleting
    // an entry take its values, versions and events along. A page cache that holds the list's
    // columns of a large register keeps searches from decrypting the same pages again.
    if (!sqliteExec(db,
                    "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
                    " PRAGMA foreign_keys=ON; PRAGMA cache_size=-65536;",
                    error)) {
        return nullptr;
    }
    if (!storage->migrate(schemaVersion < 0 ? Sql::kCurrentVersion : schemaVersion, error)) {
        return nullptr;
    }
    return storage;
}

sqlite3* SqliteRegisterStorage::openFile(const QString& path, const QByteArray& key,
                                         QString* error)
{
    const QFileInfo file(path);
    const bool made = file.exists() && file.size() > 0;
    for (const int pageSize : {kCipherPageSize, kFormerCipherPageSize}) {
        bool notDecrypted = false;
        sqlite3* const db = openKeyed(path, key, pageSize, &notDecrypted, error);
        if (db || !made || !notDecrypted) {
            return db;
        }
    }
    return nullptr;
}

sqlite3* SqliteRegisterStorage::openKeyed(const QString& path, const QByteArray& key,
                                          int pageSize, bool* notDecrypted, QString* error)
{
    *notDecrypted = false;
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    const auto failed = [&] {
        *error = sqliteError(db);
        sqlite3_close_v2(db);
        return nullptr;
    };
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr) != SQLITE_OK) {
        return failed();
    }
    // Before the first write: the log files SQLite makes next take the file's mode.
    keepToOwner(path);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    const QByteArray pageSizePragma = "PRAGMA cipher_page_size = " + QByteArray::number(pageSize);
    if (sqlite3_key(db, key.constData(), static_cast<int>(key.size())) != SQLITE_OK ||
        sqlite3_exec(db, pageSizePragma.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        return failed();
    }
    // The first read shows a wrong key, a wrong page size or a damaged file.
    if (!SqliteStatement(db, Sql::kCountTables).next()) {
        *notDecrypted = sqlite3_errcode(db) == SQLITE_NOTADB;
        return failed();
    }
    return db;
}

std::unique_ptr<SqliteRegisterStorage> SqliteRegisterStorage::openEmpty(QString* error)
{
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(":memory:", &db, flags, nullptr) != SQLITE_OK) {
        *error = sqliteError(db);
        sqlite3_close_v2(db);
        return nullptr;
    }
    std::unique_ptr<SqliteRegisterStorage> storage(new SqliteRegisterStorage(db, QString()));
    if (!sqliteExec(db, "PRAGMA foreign_keys=ON;", error) ||
        !storage->migrate(Sql::kCurrentVersion, error)) {
        return nullptr;
    }
    return storage;
}

int SqliteRegisterStorage::schemaVersion() const
{
    SqliteStatement s(m_db, "PRAGMA user_version");
    return s.next() ? static_cast<int>(s.integer(0)) : -1;
}

bool SqliteRegisterStorage::migrate(int target, QString* error)
{
    // The usual case reads one pragma and takes no write lock.
    if (schemaVersion() == target) {
        return true;
    }
    SqliteWriteTransaction tx(m_db);
    if (!tx.begun()) {
        return fail(m_db, error);
    }
    int version = schemaVersion();
    if (version == 0) {
        SqliteStatement tables(m_db, Sql::kCountTables);
        if (!tables.next()) {
            return fail(m_db, error);
        }
        if (tables.integer(0) != 0) {
            *error = QStringLiteral("file holds tables but no register schema version");
            return false;
        }
    }
    if (version > Sql::kCurrentVersion) {
        *error = QStringLiteral("register schema version %1 is newer than this program's %2")
                     .arg(version)
                     .arg(Sql::kCurrentVersion);
        return false;
    }
    while (version < target) {
        switch (version) {
        case 0:
            if (!sqliteExec(m_db, Sql::kSchemaV1, error)) {
                return false;
            }
            break;
        case 1: {
            if (!sqliteExec(m_db, Sql::kMigrateV1toV2, error)) {
                return false;
            }
            SqliteStatement rows(m_db, Sql::kSelectLeaveDatesForV2);
            while (rows.next()) {
                const QDate day = parseFormDate(rows.text(1));
                if (day.isValid()) {
                    SqliteStatement set(m_db, Sql::kSetLeaveDay);
                    if (!set.bind(1, dayText(day)).bind(2, rows.integer(0)).run()) {
                        return fail(m_db, error);
                    }
                }
            }
            if (rows.failed()) {
                return fail(m_db, error);
            }
            break;
        }
        case 2:
            if (!sqliteExec(m_db, Sql::kMigrateV2toV3, error)) {
                return false;
            }
            break;
        case 3: {
            if (!sqliteExec(m_db, Sql::kMigrateV3toV4, error)) {
                return false;
            }
            const std::optional<qint64> linked = linkExistingRows(error);
            if (!linked) {
                return false;
            }
            if (*linked > 0) {
                m_notice = QStringLiteral("出具登记簿已加上防改动的链式校验：原有的 %1 条版本和出具记录"
                                          "已按时间顺序连入链中（连入之前的改动无从发现）。")
                               .arg(*linked);
            }
            break;
        }
        default:
            *error = QStringLiteral("no migration from register schema version %1").arg(version);
            return false;
        }
        ++version;
        const QByteArray pragma = "PRAGMA user_version = " + QByteArray::number(version);
        if (!sqliteExec(m_db, pragma.constData(), error)) {
            return false;
        }
    }
    return tx.commit() || fail(m_db, error);
}

std::optional<std::pair<qint64, QString>> SqliteRegisterStorage::chainHead()
{
    SqliteStatement head(m_db, Sql::kSelectHead);
    if (head.next()) {
        return std::make_pair(head.integer(0) + 1, head.text(1));
    }
    if (head.failed()) {
        return std::nullopt;
    }
    return std::make_pair(qint64(1), Chain::genesis());
}

bool SqliteRegisterStorage::setChainHead(qint64 position, const QString& link)
{
    return SqliteStatement(m_db, Sql::kUpsertHead).bind(1, position).bind(2, link).run();
}

std::optional<QStringList> SqliteRegisterStorage::storedVersionFields(qint64 versionId,
                                                                     qint64 position)
{
    SqliteStatement v(m_db, "SELECT entry_id, version_no, created_at, operator, sha256"
                            " FROM versions WHERE id = ?1");
    if (!v.bind(1, versionId).next()) {
        return std::nullopt;
    }
    const qint64 entryId = v.integer(0);
    SqliteStatement e(m_db, Sql::kVersionChainData);
    if (!e.bind(1, entryId).next()) {
        return std::nullopt;
    }
    QStringList fields = Chain::versionFields(position, e.text(0), int(v.integer(1)), v.text(2),
                                              v.text(3), v.text(4));
    if (v.integer(1) == 1) {
        FormValues values;
        SqliteStatement rows(m_db, Sql::kSelectValues);
        rows.bind(1, entryId);
        while (rows.next()) {
            values << FormValue{rows.text(0), rows.text(1)};
        }
        if (rows.failed()) {
            return std::nullopt;
        }
        Chain::addEntryFields(fields, e.text(1), e.text(2), e.text(3), e.text(4), values);
    }
    return fields;
}

std::optional<QStringList> SqliteRegisterStorage::storedEventFields(qint64 eventId,
                                                                   qint64 position)
{
    SqliteStatement ev(m_db, "SELECT e.number, v.version_no, ev.kind, ev.at, ev.operator,"
                             " ev.sha256, ev.detail FROM events ev"
                             " JOIN versions v ON v.id = ev.version_id"
                             " JOIN entries e ON e.id = ev.entry_id WHERE ev.id = ?1");
    if (!ev.bind(1, eventId).next()) {
        return std::nullopt;
    }
    return Chain::eventFields(position, ev.text(0), int(ev.integer(1)), ev.text(2), ev.text(3),
                              ev.text(4), ev.text(5), ev.text(6));
}

std::optional<qint64> SqliteRegisterStorage::linkExistingRows(QString* error)
{
    QList<std::pair<int, qint64>> rows;
    {
        SqliteStatement all(m_db, Sql::kSelectUnlinkedForV4);
        while (all.next()) {
            rows.append({int(all.integer(0)), all.integer(1)});
        }
        if (all.failed()) {
            fail(m_db, error);
            return std::nullopt;
        }
    }
    QString previous = Chain::genesis();
    qint64 position = 0;
    for (const auto& [kind, id] : rows) {
        ++position;
        const std::optional<QStringList> fields =
            kind == 0 ? storedVersionFields(id, position) : storedEventFields(id, position);
        if (!fields) {
            fail(m_db, error);
            return std::nullopt;
        }
        previous = Chain::link(previous, *fields);
        SqliteStatement set(m_db, kind == 0 ? Sql::kSetVersionLink : Sql::kSetEventLink);
        if (!set.bind(1, position).bind(2, previous).bind(3, id).run()) {
            fail(m_db, error);
            return std::nullopt;
        }
    }
    if (position > 0 && !setChainHead(position, previous)) {
        fail(m_db, error);
        return std::nullopt;
    }
    return position;
}

bool SqliteRegisterStorage::recordDeletion(const QString& reason, const QStringList& numbers,
                                           const QList<std::pair<qint64, QString>>& removed,
                                           QString* error)
{
    const auto head = chainHead();
    if (!head) {
        return fail(m_db, error);
    }
    Chain::Deletion d;
    d.position = head->first;
    d.at = Chain::timeText(QDateTime::currentDateTimeUtc());
    d.operatorName = m_operator;
    d.reason = reason;
    d.numbers = numbers;
    for (const auto& [pos, link] : removed) {
        d.removed << Chain::RemovedRow{pos, link};
    }
    d.link = Chain::link(head->second, Chain::deletionFields(d));
    SqliteStatement insert(m_db, Sql::kInsertDeletion);
    insert.bind(1, d.position)
        .bind(2, d.link)
        .bind(3, d.at)
        .bind(4, d.operatorName)
        .bind(5, d.reason)
        .bind(6, Chain::numbersText(d.numbers))
        .bind(7, Chain::removedText(d.removed));
    if (!insert.run() || !setChainHead(d.position, d.link)) {
        return fail(m_db, error);
    }
    return true;
}

std::optional<qint64> SqliteRegisterStorage::templateId(const QString& name, const QString& text)
{
    SqliteStatement find(m_db, Sql::kFindTemplate);
    find.bind(1, name).bind(2, text);
    if (find.next()) {
        return find.integer(0);
    }
    if (find.failed()) {
        return std::nullopt;
    }
    SqliteStatement insert(m_db, Sql::kInsertTemplate);
    if (!insert.bind(1, name).bind(2, text).run()) {
        return std::nullopt;
    }
    return sqlite3_last_insert_rowid(m_db);
}

std::optional<IssuedEntry> SqliteRegisterStorage::addEntry(const EntryRecord& r,
                                                           const Composer& compose, QString* error)
{
    // The write lock is held from here to the commit: the next number is read, and the high-water
    // file raised, by one process at a time.
    SqliteWriteTransaction tx(m_db);
    if (!tx.begun()) {
        fail(m_db, error);
        return std::nullopt;
    }
    SqliteStatement last(m_db, Sql::kSelectSequence);
    if (!last.bind(1, qint64(r.year)).next()) {
        fail(m_db, error);
        return std::nullopt;
    }
    const QString seqPath = sequencePathFor(m_path);
    const qint64 stored = last.integer(0);
    const qint64 sequence = std::max(stored, readHighWaterMarks(seqPath).value(r.year)) + 1;
    // Numbers given before but never stored here (a failed commit, an older copy of the file put
    // back) are recorded as such, so that the year's numbers stay accounted for.
    if (sequence > stored + 1) {
        QStringList skipped;
        for (qint64 s = stored + 1; s < sequence; ++s) {
            skipped << formatNumber(r.numberPrefix, r.year, s);
        }
        if (!recordDeletion(Chain::kSkipped, skipped, {}, error)) {
            return std::nullopt;
        }
    }
    // Raised before the commit: a failed commit then only skips a number, never reuses one.
    if (!raiseHighWaterMark(seqPath, r.year, sequence, error)) {
        return std::nullopt;
    }
    IssuedEntry issued;
    issued.number = formatNumber(r.numberPrefix, r.year, sequence);
    issued.text = compose ? compose(issued.number) : QString();

    const std::optional<qint64> tid = templateId(r.entry.templateName, r.entry.templateText);
    SqliteStatement seq(m_db, Sql::kUpsertSequence);
    if (!tid || !seq.bind(1, qint64(r.year)).bind(2, sequence).run()) {
        fail(m_db, error);
        return std::nullopt;
    }
    SqliteStatement insert(m_db, Sql::kInsertEntry);
    insert.bind(1, issued.number)
        .bind(2, qint64(r.year))
        .bind(3, sequence)
        .bind(4, timeText(r.createdAt))
        .bind(5, r.operatorName)
        .bind(6, *tid)
        .bind(7, r.name)
        .bind(8, r.idNumber)
        .bind(9, r.company)
        .bind(10, r.leaveDate);
    if (r.leaveDay.isValid()) {
        insert.bind(11, dayText(r.leaveDay));
    } else {
        insert.bindNull(11);
    }
    if (!insert.run()) {
        fail(m_db, error);
        return std::nullopt;
    }
    issued.id = sqlite3_last_insert_rowid(m_db);
    for (int i = 0; i < r.entry.values.size(); ++i) {
        SqliteStatement value(m_db, Sql::kInsertValue);
        value.bind(1, issued.id)
            .bind(2, qint64(i))
            .bind(3, r.entry.values[i].key)
            .bind(4, r.entry.values[i].value);
        if (!value.run()) {
            fail(m_db, error);
            return std::nullopt;
        }
    }
    const auto head = chainHead();
    if (!head) {
        fail(m_db, error);
        return std::nullopt;
    }
    const QString at = timeText(r.createdAt);
    const QString sha = sha256Hex(issued.text);
    QStringList fields = Chain::versionFields(head->first, issued.number, 1, at, r.operatorName, sha);
    Chain::addEntryFields(fields, at, r.operatorName, r.entry.templateName, r.entry.templateText,
                          r.entry.values);
    const QString link = Chain::link(head->second, fields);
    SqliteStatement version(m_db, Sql::kInsertVersion);
    version.bind(1, issued.id)
        .bind(2, qint64(1))
        .bind(3, issued.text)
        .bind(4, sha)
        .bind(5, sha256Hex(normalizeLineBreaks(issued.text)))
        .bind(6, at)
        .bind(7, r.operatorName)
        .bind(8, head->first)
        .bind(9, link);
    if (!version.run() || !setChainHead(head->first, link) || !tx.commit()) {
        fail(m_db, error);
        return std::nullopt;
    }
    return issued;
}

std::optional<QList<int>> SqliteRegisterStorage::recordEvents(const QList<Leaving>& leavings,
                                                             const QDateTime& at,
                                                             const BeforeCommit& beforeCommit,
                                                             QString* error)
{
    SqliteWriteTransaction tx(m_db);
    if (!tx.begun()) {
        fail(m_db, error);
        return std::nullopt;
    }
    QList<int> versions;
    for (const Leaving& leaving : leavings) {
        const std::optional<int> version = recordOneEvent(leaving, at, error);
        if (!version) {
            return std::nullopt;
        }
        versions << *version;
    }
    if (beforeCommit && !beforeCommit(error)) {
        return std::nullopt;
    }
    if (!tx.commit()) {
        fail(m_db, error);
        return std::nullopt;
    }
    return versions;
}

std::optional<int> SqliteRegisterStorage::recordOneEvent(const Leaving& leaving,
                                                         const QDateTime& at, QString* error)
{
    const qint64 entryId = leaving.entryId;
    const EventKind kind = leaving.kind;
    const QString& text = leaving.text;
    SqliteStatement exists(m_db, "SELECT number FROM entries WHERE id = ?1");
    if (!exists.bind(1, entryId).next()) {
        if (!exists.failed()) {
            *error = QStringLiteral("no register entry %1").arg(entryId);
        } else {
            fail(m_db, error);
        }
        return std::nullopt;
    }
    const QString number = exists.text(0);
    const QString sha = sha256Hex(text);
    const QString atText = timeText(at);
    auto head = chainHead();
    if (!head) {
        fail(m_db, error);
        return std::nullopt;
    }
    qint64 versionId = 0;
    int versionNo = 0;
    SqliteStatement find(m_db, Sql::kFindVersion);
    if (find.bind(1, entryId).bind(2, sha).next()) {
        versionId = find.integer(0);
        versionNo = static_cast<int>(find.integer(1));
    } else {
        SqliteStatement max(m_db, Sql::kMaxVersionNo);
        if (find.failed() || !max.bind(1, entryId).next()) {
            fail(m_db, error);
            return std::nullopt;
        }
        versionNo = static_cast<int>(max.integer(0)) + 1;
        const QString link = Chain::link(
            head->second,
            Chain::versionFields(head->first, number, versionNo, atText, m_operator, sha));
        SqliteStatement insert(m_db, Sql::kInsertVersion);
        insert.bind(1, entryId)
            .bind(2, qint64(versionNo))
            .bind(3, text)
            .bind(4, sha)
            .bind(5, sha256Hex(normalizeLineBreaks(text)))
            .bind(6, atText)
            .bind(7, m_operator)
            .bind(8, head->first)
            .bind(9, link);
        if (!insert.run()) {
            fail(m_db, error);
            return std::nullopt;
        }
        versionId = sqlite3_last_insert_rowid(m_db);
        head = std::make_pair(head->first + 1, link);
    }
    SqliteStatement last(m_db, Sql::kUpdateLastEvent);
    last.bind(1, eventKindKey(kind)).bind(2, atText).bind(3, entryId);
    if (!appendEvent({entryId, number, versionId, versionNo, kind, atText, sha, leaving.detail},
                     *head) ||
        !last.run()) {
        fail(m_db, error);
        return std::nullopt;
    }
    return versionNo;
}

bool SqliteRegisterStorage::appendEvent(const EventRow& row,
                                        const std::pair<qint64, QString>& head)
{
    const QString kind = eventKindKey(row.kind);
    const QString link = Chain::link(
        head.second, Chain::eventFields(head.first, row.number, row.versionNo, kind, row.at,
                                        m_operator, row.sha256, row.detail));
    SqliteStatement event(m_db, Sql::kInsertEvent);
    event.bind(1, row.entryId)
        .bind(2, row.versionId)
        .bind(3, kind)
        .bind(4, row.at)
        .bind(5, row.sha256)
        .bind(6, row.detail)
        .bind(7, m_operator)
        .bind(8, head.first)
        .bind(9, link);
    return event.run() && setChainHead(head.first, link);
}

std::optional<int> SqliteRegisterStorage::recordDuty(qint64 entryId, const DutyRecord& duty,
                                                     const QDateTime& at, QString* error)
{
    SqliteWriteTransaction tx(m_db);
    if (!tx.begun()) {
        fail(m_db, error);
        return std::nullopt;
    }
    // The event refers to the text the entry has last: the one that was delivered.
    SqliteStatement newest(m_db, Sql::kNewestVersion);
    if (!newest.bind(1, entryId).next()) {
        if (!newest.failed()) {
            *error = QStringLiteral("no register entry %1").arg(entryId);
        } else {
            fail(m_db, error);
        }
        return std::nullopt;
    }
    const qint64 versionId = newest.integer(0);
    const int versionNo = static_cast<int>(newest.integer(1));
    const QString sha = newest.text(2);
    SqliteStatement numbered(m_db, "SELECT number FROM entries WHERE id = ?1");
    const auto head = chainHead();
    if (!numbered.bind(1, entryId).next() || !head) {
        fail(m_db, error);
        return std::nullopt;
    }
    // Chained as every event is, its detail with it.
    if (!appendEvent({entryId, numbered.text(0), versionId, versionNo, duty.kind, timeText(at),
                      sha, duty.detail},
                     *head)) {
        fail(m_db, error);
        return std::nullopt;
    }
    const bool delivery = duty.kind == EventKind::Delivered;
    SqliteStatement columns(m_db, delivery ? Sql::kUpdateDelivery : Sql::kUpdateTransfer);
    int next = 1;
    if (delivery) {
        columns.bind(next++, duty.detail);
    }
    if (duty.day.isValid()) {
        columns.bind(next++, dayText(duty.day));
    } else {
        columns.bindNull(next++);
    }
    columns.bind(next, entryId);
    if (!columns.run() || !tx.commit()) {
        fail(m_db, error);
        return std::nullopt;
    }
    return versionNo;
}

std::optional<QList<EntrySummary>> SqliteRegisterStorage::search(const SearchQuery& query,
                                                                 QString* error)
{
    const Filter f = filterFor(query);
    QByteArray sql = QByteArray("SELECT ") + Sql::kSummaryColumns + " FROM entries e" + f.where +
                     " ORDER BY e.id DESC";
    if (query.limit > 0) {
        sql += " LIMIT " + QByteArray::number(query.limit) + " OFFSET " +
               QByteArray::number(std::max(0, query.offset));
    }
    SqliteStatement s(m_db, sql);
    bindAll(s, f.values);
    QList<EntrySummary> rows;
    while (s.next()) {
        rows << readSummary(s);
    }
    if (s.failed()) {
        fail(m_db, error);
        return std::nullopt;
    }
    return rows;
}

std::optional<qint64> SqliteRegisterStorage::count(const SearchQuery& query, QString* error)
{
    const Filter f = filterFor(query);
    SqliteStatement s(m_db, QByteArray("SELECT count(*) FROM entries e") + f.where);
    bindAll(s, f.values);
    if (!s.next()) {
        fail(m_db, error);
        return std::nullopt;
    }
    return s.integer(0);
}

std::optional<Entry> SqliteRegisterStorage::entry(qint64 id, QString* error)
{
    Entry e;
    SqliteStatement summary(m_db, QByteArray("SELECT ") + Sql::kSummaryColumns +
                                      " FROM entries e WHERE e.id = ?1");
    if (!summary.bind(1, id).next()) {
        if (summary.failed()) {
            fail(m_db, error);
        } else {
            *error = QStringLiteral("no register entry %1").arg(id);
        }
        return std::nullopt;
    }
    e.summary = readSummary(summary);
    SqliteStatement detail(m_db, Sql::kSelectEntryDetail);
    if (!detail.bind(1, id).next()) {
        fail(m_db, error);
        return std::nullopt;
    }
    e.operatorName = detail.text(0);
    e.templateName = detail.text(1);
    e.templateText = detail.text(2);
    SqliteStatement values(m_db, Sql::kSelectValues);
    values.bind(1, id);
    while (values.next()) {
        e.values << FormValue{values.text(0), values.text(1)};
    }
    SqliteStatement versions(m_db, Sql::kSelectVersions);
    versions.bind(1, id);
    while (versions.next()) {
        e.versions << Version{versions.integer(0), static_cast<int>(versions.integer(1)),
                              versions.text(2), versions.text(3), timeFrom(versions.text(4)),
                              versions.text(5)};
    }
    SqliteStatement events(m_db, Sql::kSelectEvents);
    events.bind(1, id);
    while (events.next()) {
        Event ev;
        ev.id = events.integer(0);
        ev.kind = eventKindFromKey(events.text(1)).value_or(EventKind::Copied);
        ev.at = timeFrom(events.text(2));
        ev.versionNo = static_cast<int>(events.integer(3));
        ev.sha256 = events.text(4);
        ev.operatorName = events.text(5);
        ev.detail = events.text(6);
        e.events << ev;
    }
    if (values.failed() || versions.failed() || events.failed()) {
        fail(m_db, error);
        return std::nullopt;
    }
    return e;
}

std::optional<qint64> SqliteRegisterStorage::findByNumber(const QString& number, QString* error)
{
    SqliteStatement s(m_db, Sql::kFindByNumber);
    if (s.bind(1, number.trimmed().toUpper()).next()) {
        return s.integer(0);
    }
    if (s.failed()) {
        fail(m_db, error);
        return std::nullopt;
    }
    return qint64(0);
}

std::optional<std::pair<qint64, int>>
SqliteRegisterStorage::findByNormalizedHash(const QString& normalizedSha256, QString* error)
{
    SqliteStatement s(m_db, Sql::kFindByNormalizedHash);
    if (s.bind(1, normalizedSha256).next()) {
        return std::pair<qint64, int>(s.integer(0), static_cast<int>(s.integer(1)));
    }
    if (s.failed()) {
        fail(m_db, error);
        return std::nullopt;
    }
    return std::pair<qint64, int>(0, 0);
}

std::optional<qint64> SqliteRegisterStorage::countExpired(const QDate& cutoff, QString* error)
{
    SqliteStatement s(m_db, QByteArray("SELECT count(*) FROM entries") + Sql::kRetentionWhere);
    if (!s.bind(1, dayText(cutoff)).next()) {
        fail(m_db, error);
        return std::nullopt;
    }
    return s.integer(0);
}

std::optional<qint64> SqliteRegisterStorage::deleteExpired(const QDate& cutoff, qint64 expected,
                                                           QString* error)
{
    SqliteWriteTransaction tx(m_db);
    if (!tx.begun()) {
        fail(m_db, error);
        return std::nullopt;
    }
    const std::optional<qint64> now = countExpired(cutoff, error);
    if (!now) {
        return std::nullopt;
    }
    if (*now != expected) {
        *error = QStringLiteral("expected %1 expired entries, found %2").arg(expected).arg(*now);
        return std::nullopt;
    }
    // What goes is recorded first: its numbers, and the position and link of each chain row
    // that goes with it, so that the chain can still be walked across the hole.
    const QByteArray where(Sql::kRetentionWhere);
    QStringList numbers;
    QList<std::pair<qint64, QString>> removed;
    SqliteStatement numberRows(m_db, QByteArray(Sql::kSelectNumbersOfExpired).replace("[WHERE]", where));
    numberRows.bind(1, dayText(cutoff));
    while (numberRows.next()) {
        numbers << numberRows.text(0);
    }
    SqliteStatement chainRows(m_db, QByteArray(Sql::kSelectChainOfExpired).replace("[WHERE]", where));
    chainRows.bind(1, dayText(cutoff));
    while (chainRows.next()) {
        removed.append({chainRows.integer(0), chainRows.text(1)});
    }
    if (numberRows.failed() || chainRows.failed()) {
        fail(m_db, error);
        return std::nullopt;
    }
    SqliteStatement del(m_db, QByteArray("DELETE FROM entries") + Sql::kRetentionWhere);
    if (!del.bind(1, dayText(cutoff)).run()) {
        fail(m_db, error);
        return std::nullopt;
    }
    const qint64 deleted = sqlite3_changes(m_db);
    if (!recordDeletion(Chain::kRetention, numbers, removed, error)) {
        return std::nullopt;
    }
    if (!tx.commit()) {
        fail(m_db, error);
        return std::nullopt;
    }
    return deleted;
}

} // namespace Register

namespace Register {

namespace {

// A statement as the audit reads it.
class StatementCursor final : public Chain::AuditCursor
{
public:
    StatementCursor(sqlite3* db, const char* sql) : m_statement(db, sql) {}
    bool next() override { return m_statement.next(); }
    bool failed() const override { return m_statement.failed(); }
    QString text(int column) const override { return m_statement.text(column); }
    QByteArrayView bytes(int column) const override { return m_statement.bytes(column); }
    qint64 integer(int column) const override { return m_statement.integer(column); }
    bool isNull(int column) const override { return m_statement.isNull(column); }

private:
    SqliteStatement m_statement;
};

} // namespace

std::optional<AuditResult> SqliteRegisterStorage::audit(const QString& since, QString* error)
{
    // One state of the file for the whole walk: read transactions that all see it. The versions
    // (most of the file: the texts) are read by a connection and a thread of their own, beside
    // the walk. A register in memory, one whose key cannot be read again and one that another
    // program is writing at this moment are read by one connection.
    std::unique_ptr<Chain::AuditCursor> versionsRead;
    PrefetchCursor* prefetched = nullptr;
    QString notParallel;
    const auto key =
        m_path.isEmpty() ? std::nullopt : loadOrCreateKey(keyPathFor(m_path), false, &notParallel);
    sqlite3* const reader = key ? openAuditReader(m_db, m_path, *key, &notParallel) : nullptr;
    static_assert(Sql::kAuditVersionColumns <= PrefetchCursor::kMaxColumns);
    if (reader) {
        auto cursor = std::make_unique<PrefetchCursor>(reader, Sql::kAuditVersions,
                                                       Sql::kAuditVersionColumns,
                                                       Sql::kAuditVersionTextColumn);
        prefetched = cursor.get();
        versionsRead = std::move(cursor);
    } else if (!sqliteExec(m_db, "BEGIN", error)) {
        return std::nullopt;
    } else {
        versionsRead = std::make_unique<StatementCursor>(m_db, Sql::kAuditVersions);
    }
    std::optional<AuditResult> result;
    {
        StatementCursor templates(m_db, Sql::kAuditTemplates);
        StatementCursor entries(m_db, Sql::kAuditEntries);
        StatementCursor values(m_db, Sql::kAuditValues);
        StatementCursor counters(m_db, Sql::kAuditSequences);
        StatementCursor deletions(m_db, Sql::kAuditDeletions);
        StatementCursor head(m_db, Sql::kSelectHead);
        Chain::AuditCursor& versions = *versionsRead;
        StatementCursor events(m_db, Sql::kAuditEvents);
        // A version linked after one of its events (not written so, but a file may say so).
        SqliteStatement version(m_db, Sql::kAuditVersion);
        bool versionFailed = !version.prepared();
        Chain::AuditInput input{templates, entries,  values,   counters,
                                deletions, head,     versions, events, {}};
        input.versionOf = [&](qint64 id) -> std::optional<std::pair<int, QByteArray>> {
            version.reset();
            if (!version.bind(1, id).next()) {
                versionFailed = versionFailed || version.failed();
                return std::nullopt;
            }
            return std::make_pair(int(version.integer(0)), version.bytes(1).toByteArray());
        };
        result = Chain::auditRegister(input, since);
        if (versionFailed) {
            result.reset();
        }
        if (!result && prefetched && prefetched->failed()) {
            *error = prefetched->error();
        } else if (!result) {
            fail(m_db, error);
        }
    }
    versionsRead.reset();
    sqliteExec(m_db, "ROLLBACK", nullptr);
    return result;
}

} // namespace Register
