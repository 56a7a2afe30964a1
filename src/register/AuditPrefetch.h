#pragma once

#include "register/RegisterChain.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <bitset>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct sqlite3;

namespace Register {

// The audit's versions read on a connection of their own by a thread of their own while the
// walk reads the entries and their values: decrypting the texts' pages and hashing the texts go
// on beside the walk instead of inside it. Each text is checked against its two hashes as it is
// read (textAgrees) and then dropped, so the rows read ahead are small; the walk takes them in
// order.
//
// The connection must already be in the read transaction that sees what the walk's own
// connection sees (see openAuditReader). The cursor closes it.
class PrefetchCursor final : public Chain::AuditCursor
{
public:
    // sql: the versions' audit statement, `columns` of them (at most kMaxColumns); the text, its
    // SHA-256 and its normalized SHA-256 are the columns textColumn, textColumn + 1 and
    // textColumn + 2. Of these only the SHA-256 can be read from the cursor.
    PrefetchCursor(sqlite3* db, const char* sql, int columns, int textColumn);
    ~PrefetchCursor() override;
    PrefetchCursor(const PrefetchCursor&) = delete;
    PrefetchCursor& operator=(const PrefetchCursor&) = delete;

    bool next() override;
    bool failed() const override;
    QString text(int column) const override;
    QByteArrayView bytes(int column) const override;
    qint64 integer(int column) const override;
    bool isNull(int column) const override;
    std::optional<bool> textAgrees() const override;
    // SQLite's words when the read failed.
    QString error() const;

    // The most columns a prefetched statement may have.
    static constexpr int kMaxColumns = 12;

private:
    // One row in two allocations: the columns' bytes one after the other in `bytes`, where
    // column c is [ends[c - 1], ends[c]). The text and its hashes are not kept.
    struct Row
    {
        QByteArray bytes;
        std::array<qint32, kMaxColumns> ends{};
        std::array<qint64, kMaxColumns> integers{};
        std::bitset<kMaxColumns> nulls;
        bool textAgrees = false;
    };
    using Batch = std::vector<Row>;

    void read(const char* sql);

    sqlite3* m_db;
    const int m_columns;
    const int m_textColumn;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Batch> m_ready;
    bool m_done = false;
    bool m_stop = false;
    bool m_failed = false;
    QString m_error;
    Batch m_current;
    size_t m_at = 0;
    std::thread m_reader;
};

// Opens one more connection to the register file at path, in a read transaction that sees the
// same state as `db`, which begins its own read transaction here too: a write lock held
// meanwhile on a third connection keeps any commit out until both have read. Null (nothing left
// open, db not in a transaction) on failure, with *error; also when another connection keeps
// writing for more than a moment.
sqlite3* openAuditReader(sqlite3* db, const QString& path, const QByteArray& key, QString* error);

} // namespace Register
