#pragma once

#include "register/RegisterStorage.h"

#include <memory>

struct sqlite3;

namespace Register {

// The register in its own SQLCipher file beside the library file (see RegisterFiles.h). The
// program makes the file, its key and its tables itself, and carries an older file forward to
// the current schema when it opens it.
class SqliteRegisterStorage final : public RegisterStorage
{
public:
    static constexpr int kBusyTimeoutMs = 5000;
    // How long a copy waits for another one that is making the register.
    static constexpr int kCreateWaitMs = 30000;

    // Opens the register at `path`, making it (and its key) when neither exists, once: copies
    // of the program that open a new register at the same time take turns (see lockPathFor). A file made by
    // an older program is migrated up to `schemaVersion` (the current one unless a test asks for
    // an older one). Null and *error on failure: a missing key for an existing file, a wrong key,
    // a damaged file, a file from a newer program.
    static std::unique_ptr<SqliteRegisterStorage> open(const QString& path, QString* error,
                                                       int schemaVersion = -1);
    // The register file at `path` opened with its key (see loadOrCreateKey) and its cipher page
    // size, as open() opens it, for reading or changing it behind the storage's back (the
    // tests do; a benchmark fills it). Null and *error on failure; the caller closes it.
    static sqlite3* openFile(const QString& path, const QByteArray& key, QString* error);
    // A register that holds nothing and lives in memory only: what a register that has not been
    // made yet reads as. Nothing is written to disk.
    static std::unique_ptr<SqliteRegisterStorage> openEmpty(QString* error);
    ~SqliteRegisterStorage() override;

    int schemaVersion() const;
    const QString& path() const { return m_path; }

    KAVRI_REGISTER_STORAGE_OPERATIONS
    std::optional<AuditResult> audit(const QString& since, QString* error) override;
    void setOperatorName(const QString& name) override { m_operator = name; }
    QString openingNotice() const override { return m_notice; }

private:
    SqliteRegisterStorage(sqlite3* db, QString path);
    // Opens the file with the key and the cipher page size and reads its first page; on failure
    // (null) *notDecrypted tells whether that page did not decrypt (a wrong key or page size).
    static sqlite3* openKeyed(const QString& path, const QByteArray& key, int pageSize,
                              bool* notDecrypted, QString* error);
    bool migrate(int target, QString* error);
    // One leaving of recordEvents, inside its transaction.
    std::optional<int> recordOneEvent(const Leaving& leaving, const QDateTime& at, QString* error);
    std::optional<qint64> templateId(const QString& name, const QString& text);
    // The next position of the chain and the previous link; inside a write transaction.
    std::optional<std::pair<qint64, QString>> chainHead();
    bool setChainHead(qint64 position, const QString& link);
    // An event as the chain links it.
    struct EventRow
    {
        qint64 entryId = 0;
        QString number;
        qint64 versionId = 0;
        int versionNo = 0;
        EventKind kind = EventKind::Copied;
        QString at; // as stored
        QString sha256;
        QString detail;
    };
    // Writes the event at the chain's `head` and moves the head past it.
    bool appendEvent(const EventRow& row, const std::pair<qint64, QString>& head);
    // The fields of a version as the chain hashes them, read from the file (migration).
    std::optional<QStringList> storedVersionFields(qint64 versionId, qint64 position);
    std::optional<QStringList> storedEventFields(qint64 eventId, qint64 position);
    // Links the rows an older file holds, oldest first; how many.
    std::optional<qint64> linkExistingRows(QString* error);
    // Records numbers that went (or never came) with the chain rows that went with them.
    bool recordDeletion(const QString& reason, const QStringList& numbers,
                        const QList<std::pair<qint64, QString>>& removed, QString* error);

    sqlite3* m_db;
    QString m_path;
    QString m_operator;
    QString m_notice;
};

} // namespace Register
