#include "register/AuditPrefetch.h"

#include "register/RegisterText.h"
#include "register/SqliteRegisterStorage.h"
#include "register/SqliteStatement.h"
#include "store/StoredText.h"

#include <algorithm>
#include <sqlite3.h>

namespace Register {

namespace {

// Rows handed over at a time, and batches read ahead at most: without their texts a few hundred
// bytes a row, so that the reading can run ahead through all the time the walk spends on the
// entries (a register of 100,000 entries fits).
constexpr size_t kBatchRows = 256;
constexpr size_t kBatchesAhead = 512;
// How long the readers wait for a writer to finish before the audit reads without them.
constexpr int kGateWaitMs = 200;

} // namespace

PrefetchCursor::PrefetchCursor(sqlite3* db, const char* sql, int columns, int textColumn)
    : m_db(db), m_columns(std::min(columns, kMaxColumns)), m_textColumn(textColumn)
{
    m_reader = std::thread([this, sql] { read(sql); });
}

PrefetchCursor::~PrefetchCursor()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_reader.join();
    sqlite3_close_v2(m_db);
}

void PrefetchCursor::read(const char* sql)
{
    SqliteStatement statement(m_db, sql);
    Sha256 hash;
    Batch batch;
    batch.reserve(kBatchRows);
    bool more = true;
    while (more) {
        more = statement.next();
        if (more) {
            Row& row = batch.emplace_back();
            row.textAgrees = Chain::textAgreesWithHashes(hash, statement.bytes(m_textColumn),
                                                         statement.bytes(m_textColumn + 1),
                                                         statement.bytes(m_textColumn + 2));
            for (int c = 0; c < m_columns; ++c) {
                row.nulls[size_t(c)] = statement.isNull(c);
                const bool dropped = c == m_textColumn || c == m_textColumn + 2;
                if (!row.nulls[size_t(c)] && !dropped) {
                    row.integers[size_t(c)] = statement.integer(c);
                    row.bytes += statement.bytes(c);
                }
                row.ends[size_t(c)] = qint32(row.bytes.size());
            }
            row.bytes.squeeze();
        }
        if (batch.size() == kBatchRows || (!more && !batch.empty())) {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || m_ready.size() < kBatchesAhead; });
            if (m_stop) {
                return;
            }
            m_ready.push_back(std::move(batch));
            batch = Batch();
            batch.reserve(kBatchRows);
            lock.unlock();
            m_changed.notify_all();
        }
    }
    const std::lock_guard lock(m_mutex);
    m_failed = statement.failed();
    if (m_failed) {
        m_error = sqliteError(m_db);
    }
    m_done = true;
    m_changed.notify_all();
}

bool PrefetchCursor::next()
{
    if (++m_at < m_current.size()) {
        return true;
    }
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_ready.empty() || m_done; });
    if (m_ready.empty()) {
        m_current.clear();
        return false;
    }
    m_current = std::move(m_ready.front());
    m_ready.pop_front();
    m_at = 0;
    lock.unlock();
    m_changed.notify_all();
    return true;
}

bool PrefetchCursor::failed() const
{
    const std::lock_guard lock(m_mutex);
    return m_failed;
}

QString PrefetchCursor::error() const
{
    const std::lock_guard lock(m_mutex);
    return m_error;
}

QString PrefetchCursor::text(int column) const
{
    const QByteArrayView b = bytes(column);
    return storedText(b.data(), b.size());
}

QByteArrayView PrefetchCursor::bytes(int column) const
{
    const Row& row = m_current[m_at];
    const qint32 begin = column > 0 ? row.ends[size_t(column - 1)] : 0;
    return QByteArrayView(row.bytes).sliced(begin, row.ends[size_t(column)] - begin);
}

qint64 PrefetchCursor::integer(int column) const
{
    return m_current[m_at].integers[size_t(column)];
}

bool PrefetchCursor::isNull(int column) const
{
    return m_current[m_at].nulls[size_t(column)];
}

std::optional<bool> PrefetchCursor::textAgrees() const
{
    return m_current[m_at].textAgrees;
}

sqlite3* openAuditReader(sqlite3* db, const QString& path, const QByteArray& key, QString* error)
{
    // No commit comes between db's view and the reader's. Another program writing at this
    // moment is not waited for long: the caller reads on one connection then.
    sqlite3* const gate = SqliteRegisterStorage::openFile(path, key, error);
    if (!gate) {
        return nullptr;
    }
    sqlite3_busy_timeout(gate, kGateWaitMs);
    // A read transaction sees the file from its first read on.
    const auto beginReading = [error](sqlite3* connection) {
        return sqliteExec(connection, "BEGIN; SELECT count(*) FROM sqlite_master;", error);
    };
    sqlite3* reader = nullptr;
    bool ok = sqliteExec(gate, "BEGIN IMMEDIATE", error) && beginReading(db);
    if (ok) {
        reader = SqliteRegisterStorage::openFile(path, key, error);
        ok = reader && beginReading(reader);
    }
    sqliteExec(gate, "ROLLBACK", nullptr);
    sqlite3_close_v2(gate);
    if (!ok) {
        sqlite3_close_v2(reader);
        sqliteExec(db, "ROLLBACK", nullptr);
        return nullptr;
    }
    return reader;
}

} // namespace Register
