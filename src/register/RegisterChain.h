#pragma once

#include "register/RegisterTypes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <optional>

// The register's hash chain. Every version, every event and every deletion record is a row of
// one chain, numbered 1, 2, 3 ... in the order it was linked, and carries
//
//     link = SHA-256(previous link || encoding of the row's fields)
//
// where the previous link of row 1 is 32 zero bytes, a link is kept as 64 lower-case hex digits
// (hashed as its 32 raw bytes), and a row's encoding is each field in order as a 4-byte
// big-endian length followed by the field's UTF-8 bytes. The fields (all text; numbers in
// decimal, times as UTC "yyyy-MM-ddTHH:mm:ss.zzzZ"):
//
//   version   "version", position, certificate number, version number, time, operator,
//             SHA-256 of the text; version 1 adds the entry's time, the entry's operator, the
//             template's name, the template's text and each form value as key, value
//   event     "event", position, certificate number, version number, kind, time, operator,
//             SHA-256 of the text the event refers to, the event's detail (a delivery record,
//             a transfer day; empty for most kinds). Every kind of event is chained alike.
//   deletion  "deletion", position, time, operator, reason, how many numbers, each number, then
//             each removed row as its position and its link
//
// README.md ("The register's hash chain") shows the same in a few lines of Python.
namespace Register {
class Sha256;
}

namespace Register::Chain {

// The previous link of the first row.
QString genesis();
// The bytes a row's fields are hashed as.
QByteArray encode(const QStringList& fields);
QString link(const QString& previous, const QStringList& fields);
// The same, with the row's later fields given already encoded (appendField), in order.
QString link(const QString& previous, const QStringList& fields,
             std::initializer_list<QByteArrayView> encodedTail);
// Appends one field's UTF-8 bytes in the encoding above.
void appendField(QByteArray& out, QByteArrayView utf8);

// Times as the chain writes them.
QString timeText(const QDateTime& t);

QStringList versionFields(qint64 position, const QString& number, int versionNo,
                          const QString& at, const QString& operatorName, const QString& sha256);
// The entry's own fields that version 1 adds.
void addEntryFields(QStringList& fields, const QString& entryAt, const QString& entryOperator,
                    const QString& templateName, const QString& templateText,
                    const FormValues& values);
QStringList eventFields(qint64 position, const QString& number, int versionNo,
                        const QString& kind, const QString& at, const QString& operatorName,
                        const QString& sha256, const QString& detail);

// Why numbers were taken out of (or never reached) the register.
inline const QString kRetention = QStringLiteral("retention"); // deleted after two years
inline const QString kSkipped = QStringLiteral("skipped");     // given, but never stored
inline const QString kImported = QStringLiteral("imported");   // missing from a copied register

struct RemovedRow
{
    qint64 position = 0;
    QString link;
};

struct Deletion
{
    qint64 position = 0;
    QString link;
    QString at;
    QString operatorName;
    QString reason;
    QStringList numbers;
    QList<RemovedRow> removed;
};
QStringList deletionFields(const Deletion& d);
// Stored forms of the two lists: numbers separated by spaces; "position link" pairs likewise.
QString numbersText(const QStringList& numbers);
QString removedText(const QList<RemovedRow>& removed);
QStringList numbersFrom(const QString& text);
QList<RemovedRow> removedFrom(const QString& text);

// Walks a register's chain row by row in position order and checks its numbers; a storage
// feeds it what it holds and asks for the verdict. Each check names the first row it fails at.
class Audit
{
public:
    // `since`: a head noted earlier that must still be a link of the chain (empty: none).
    explicit Audit(QString since = QString());

    // What deletion records say was removed; given before the rows.
    void addDeletion(const Deletion& d);
    // One row of the chain: its stored position and link, its fields, a name for the message,
    // and what is wrong with its content besides the link (empty: nothing).
    void addRow(qint64 position, const QString& storedLink, const QStringList& fields,
                const QString& name, const QString& contentProblem = QString());
    // The same for a row whose name is made only when a message needs it, and whose fields
    // end in bytes already encoded.
    void addRow(qint64 position, const QString& storedLink, const QStringList& fields,
                std::initializer_list<QByteArrayView> encodedTail,
                const std::function<QString()>& name, const QString& contentProblem);
    // The same for a row given as its encoding (all its fields as encode() writes them) and
    // its stored link's bytes: the walk over a whole register, nothing copied per row.
    void addEncodedRow(qint64 position, QByteArrayView storedLink, QByteArrayView encoded,
                       const std::function<QString()>& name, const QString& contentProblem);
    // A problem of a row that is not a link's: found before or after the row was walked.
    void rowProblem(qint64 position, const QString& problem);
    // A problem an entry shows at one of its rows (its list says another last event) that is
    // named only when the chain itself is whole: a row taken out explains it first.
    void entryProblem(qint64 position, const QString& problem);
    // An entry's number (sequence within its year), and the counters.
    void addNumber(int year, qint64 sequence);
    void setCounter(int year, qint64 last);
    // The head the storage keeps for quick appending, when it keeps one.
    void setStoredHead(qint64 position, const QString& link);
    // A problem that belongs to no row.
    void problem(const QString& text);

    AuditResult finish();

private:
    void fail(qint64 position, const QString& problem);
    // Passes over rows a deletion record took out up to `position`; false when one is missing
    // or `position` is not after the last row (the chain is then broken).
    bool skipTo(qint64 position, const std::function<QString()>& name);
    // The row at m_expected linked to `computed` (64 hex digits), which its stored link is.
    void linked(QLatin1StringView computed);

    QString m_since;
    bool m_sinceSeen = false;
    QString m_previous;
    qint64 m_expected = 1;
    qint64 m_rows = 0;
    bool m_chainBroken = false;
    QHash<qint64, QString> m_removed;
    QMap<int, QList<qint64>> m_numbers;
    QMap<int, QSet<qint64>> m_accounted;
    QMap<int, qint64> m_counters;
    std::optional<std::pair<qint64, QString>> m_storedHead;
    qint64 m_failedAt = 0;
    QString m_failure;
    QStringList m_otherProblems;
    qint64 m_entryProblemAt = 0;
    QString m_entryProblem;
};

// One table's rows as the audit reads them; the first next() gives the first row.
class AuditCursor
{
public:
    virtual ~AuditCursor() = default;
    virtual bool next() = 0;
    virtual bool failed() const = 0;
    virtual QString text(int column) const = 0;
    // The value's UTF-8 bytes, valid until the next call of next().
    virtual QByteArrayView bytes(int column) const = 0;
    virtual qint64 integer(int column) const = 0;
    virtual bool isNull(int column) const = 0;
    // For the versions: whether this row's text agreed with its two hashes, when the cursor
    // checked that itself while reading (then the text may not be kept); empty when the walk
    // is to check it.
    virtual std::optional<bool> textAgrees() const { return std::nullopt; }
};

// Whether a version's stored text has the SHA-256 `sha` and, with its line breaks made LF,
// `normalizedSha` (both lower-case hex). `hash` is a hasher to use.
bool textAgreesWithHashes(Sha256& hash, QByteArrayView text, QByteArrayView sha,
                          QByteArrayView normalizedSha);

// What a storage reads for the audit, all from one state of the register, with these columns
// (times as timeText writes them):
//   templates  id, name, text
//   entries    id, number, year, seq, created_at, operator, template_id, name, id_number,
//              company, leave_date, last_event_kind, last_event_at (by id)
//   values     entry_id, key, value (by entry, in form order)
//   counters   year, last
//   deletions  chain_pos, link, at, operator, reason, numbers, removed (by chain_pos)
//   head       pos, link (the one row of the kept head; none when nothing was ever linked)
//   versions   id, entry_id, version_no, text, sha256, norm_sha256, created_at, operator,
//              chain_pos, link (by chain_pos)
//   events     entry_id, version_id, kind, at, operator, sha256, chain_pos, link, detail
//              (by chain_pos)
// An event's version is looked up among the versions already walked; one that comes later in
// the chain (or not at all) is asked of versionOf: its number and sha256, nothing when there is
// no such version.
struct AuditInput
{
    AuditCursor& templates;
    AuditCursor& entries;
    AuditCursor& values;
    AuditCursor& counters;
    AuditCursor& deletions;
    AuditCursor& head;
    AuditCursor& versions;
    AuditCursor& events;
    std::function<std::optional<std::pair<int, QByteArray>>(qint64 versionId)> versionOf;
};

// The whole audit over what a storage read; empty when a read failed.
std::optional<AuditResult> auditRegister(AuditInput& input, const QString& since);

} // namespace Register::Chain
