#pragma once

#include "register/DutyRecords.h"
#include "register/RegisterTypes.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>
#include <utility>

namespace Register {

// Everything the register keeps goes through this interface; the SQLCipher file beside the
// library is one implementation. Each call is one transaction. On failure a call returns an
// empty optional (or false) and puts a reason into *error (SQLite's text; the caller words it
// for the user).
class RegisterStorage
{
public:
    virtual ~RegisterStorage() = default;

    // What addEntry stores besides the text: the caller has worked out the time, the operator and
    // the list columns.
    struct EntryRecord
    {
        NewEntry entry;
        QString numberPrefix;
        int year = 0;
        QDateTime createdAt;
        QString operatorName;
        QString name;
        QString idNumber;
        QString company;
        QString leaveDate;
        QDate leaveDay;
    };
    // Makes the certificate text once the number is known.
    using Composer = std::function<QString(const QString& number)>;

    // Gives the next number of the record's year (never one given before, whatever was deleted or
    // restored), composes the text with it and stores the entry with that text as version 1, all
    // at once: either everything is stored or nothing, and no other process gets the same number.
    virtual std::optional<IssuedEntry> addEntry(const EntryRecord& record, const Composer& compose,
                                                QString* error) = 0;

    // One text that left kavri, and how.
    struct Leaving
    {
        qint64 entryId = 0;
        EventKind kind = EventKind::Copied;
        QString text;
        // Kept with the event: what else left with the text (LeavingNote.h); empty when nothing.
        QString detail;
    };
    // Runs inside the transaction that records leavings, after they are all written and just
    // before it commits (putting the file they describe in place); false, with *error set, undoes
    // them all.
    using BeforeCommit = std::function<bool(QString* error)>;

    // Records that each text left kavri, all in one transaction. A text the entry already has
    // adds only the event; another text becomes the entry's next version. Returns the version
    // number each event refers to, in the order given.
    virtual std::optional<QList<int>> recordEvents(const QList<Leaving>& leavings,
                                                   const QDateTime& at,
                                                   const BeforeCommit& beforeCommit,
                                                   QString* error) = 0;

    // Records a duty done for the entry's leaver (a delivery, a transfer) as an event of the
    // entry that refers to its newest version; a delivery becomes the entry's delivery and
    // receipt day, a transfer its transfer day. The entry's last leaving and its status stay as
    // they were. Returns the version number the event refers to.
    virtual std::optional<int> recordDuty(qint64 entryId, const DutyRecord& duty,
                                          const QDateTime& at, QString* error) = 0;

    // Newest first. Creation dates are the local calendar days of the entries' times.
    virtual std::optional<QList<EntrySummary>> search(const SearchQuery& query, QString* error) = 0;
    virtual std::optional<qint64> count(const SearchQuery& query, QString* error) = 0;

    virtual std::optional<Entry> entry(qint64 id, QString* error) = 0;
    // 0 when no entry has that number.
    virtual std::optional<qint64> findByNumber(const QString& number, QString* error) = 0;
    // The entry and version whose text, with LF line breaks, hashes to `normalizedSha256`;
    // {0, 0} when none.
    virtual std::optional<std::pair<qint64, int>>
    findByNormalizedHash(const QString& normalizedSha256, QString* error) = 0;

    // Entries whose leaving day, creation and last event all lie before `cutoff`.
    virtual std::optional<qint64> countExpired(const QDate& cutoff, QString* error) = 0;
    // Deletes exactly those, only when there are `expected` of them (what the user confirmed);
    // returns how many went.
    virtual std::optional<qint64> deleteExpired(const QDate& cutoff, qint64 expected,
                                                QString* error) = 0;

    // Walks the whole hash chain and the numbers of every year (see RegisterChain.h); `since` is
    // a head noted earlier that must still be in the chain (empty: none). A storage without a
    // chain says so.
    virtual std::optional<AuditResult> audit(const QString& since, QString* error)
    {
        Q_UNUSED(since);
        *error = QStringLiteral("这个登记簿没有链式校验");
        return std::nullopt;
    }

    // Who records the events and versions from now on, where the storage is the one to say.
    virtual void setOperatorName(const QString& name) { Q_UNUSED(name); }
    // What opening the storage has to tell the user once (a register carried forward); empty
    // when nothing.
    virtual QString openingNotice() const { return {}; }
};

} // namespace Register

// Every operation of RegisterStorage declared as an override, for the class body of each
// storage: one list, so that an operation added to the interface reaches every storage alike.
// clang-format off
#define KAVRI_REGISTER_STORAGE_OPERATIONS                                                          \
    std::optional<IssuedEntry> addEntry(const EntryRecord& record, const Composer& compose,        \
                                        QString* error) override;                                  \
    std::optional<QList<int>> recordEvents(const QList<Leaving>& leavings, const QDateTime& at,    \
                                           const BeforeCommit& beforeCommit, QString* error)       \
        override;                                                                                  \
    std::optional<int> recordDuty(qint64 entryId, const DutyRecord& duty, const QDateTime& at,     \
                                  QString* error) override;                                        \
    std::optional<QList<EntrySummary>> search(const SearchQuery& query, QString* error) override;  \
    std::optional<qint64> count(const SearchQuery& query, QString* error) override;                \
    std::optional<Entry> entry(qint64 id, QString* error) override;                                \
    std::optional<qint64> findByNumber(const QString& number, QString* error) override;            \
    std::optional<std::pair<qint64, int>> findByNormalizedHash(const QString& normalizedSha256,    \
                                                               QString* error) override;           \
    std::optional<qint64> countExpired(const QDate& cutoff, QString* error) override;              \
    std::optional<qint64> deleteExpired(const QDate& cutoff, qint64 expected,                      \
                                        QString* error) override;
// clang-format on
