#pragma once

#include "register/RegisterStorage.h"
#include "register/RegisterTypes.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace Register {

// The certificate register (出具登记簿): every Generate makes an entry with its own number, every
// time the certificate leaves kavri (printed, exported to PDF or OFD, copied) the entry records
// it with the text as it left. Windows, kavri-cli and the batch run all go through this class.
// Every failure comes back as a Chinese sentence in *error, for the caller to show once.
class CertificateRegister
{
public:
    using Composer = RegisterStorage::Composer;

    // Opens (making it on first use) the register file at `path`; null when it cannot be opened.
    static std::unique_ptr<CertificateRegister> open(const QString& path, QString* error);
    // A register with no entries, in memory: what one that has not been made yet reads as (a
    // new installation's). Adding to it keeps nothing.
    static std::unique_ptr<CertificateRegister> openEmpty(QString* error);
    // Opens the register of a team library on the server the libpq connection text names (the
    // same text as the library's); null when it cannot be reached or holds no register.
    static std::unique_ptr<CertificateRegister> openServer(const QString& conninfo, QString* error);
    explicit CertificateRegister(std::unique_ptr<RegisterStorage> storage);

    // For tests and tools: what "now" is, who the operator is, which prefix numbers get.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    void setOperatorName(const QString& name);
    void setNumberPrefix(const QString& prefix) { m_prefix = prefix; }

    // Makes the entry of one Generate: the number first, then `compose` with it, then everything
    // stored at once. The entry is a draft (未出具) until its text leaves kavri.
    std::optional<IssuedEntry> addEntry(const NewEntry& entry, const Composer& compose,
                                        QString* error);
    // The text left kavri as `kind`. Returns the version it was recorded under.
    std::optional<int> recordEvent(qint64 entryId, EventKind kind, const QString& text,
                                   QString* error);
    // Several texts left kavri together (the pages of one file), recorded in one transaction;
    // `beforeCommit` runs last inside it (it puts the file in place), and when it fails nothing
    // is recorded. Returns the version each was recorded under.
    using Leaving = RegisterStorage::Leaving;
    std::optional<QList<int>> recordEvents(const QList<Leaving>& leavings,
                                           const RegisterStorage::BeforeCommit& beforeCommit,
                                           QString* error);

    // How the entry's certificate reached the person and, once known, when it was received; a
    // later record of the same entry takes the place of the earlier one in the list, and both
    // stay among the events. Refused (a Chinese sentence in *error) for a draft, for a posted
    // certificate without its waybill, for a receipt after today or before the certificate
    // first left.
    bool recordDelivery(qint64 entryId, const Delivery& delivery, QString* error);
    // The day the personnel file and the social insurance were transferred (not after today).
    bool recordTransfer(qint64 entryId, const QDate& day, QString* error);
    // The local calendar day of "now".
    QDate today() const;

    std::optional<QList<EntrySummary>> search(const SearchQuery& query, QString* error);
    std::optional<qint64> count(const SearchQuery& query, QString* error);
    std::optional<Entry> entry(qint64 id, QString* error);
    std::optional<Entry> entryByNumber(const QString& number, QString* error);

    // 查验: a number typed in, or a certificate's text pasted in (its number is looked for in the
    // text; a text without one is looked up by its content: the whole text, else the name with
    // the ID number or the leaving date it holds).
    std::optional<VerifyResult> verifyNumber(const QString& number, QString* error);
    std::optional<VerifyResult> verifyText(const QString& text, QString* error);
    // Either of the two, by what the input looks like.
    std::optional<VerifyResult> verify(const QString& input, QString* error);

    // Retention: only entries whose leaving date lies more than two years back (and that have
    // not been made or issued within those two years) may go; nothing goes on its own.
    QDate retentionCutoff() const;
    std::optional<qint64> countExpired(QString* error);
    // Deletes them when there are exactly `confirmedCount` (what the user was asked about).
    std::optional<qint64> deleteExpired(qint64 confirmedCount, QString* error);

    // Writes the entries of `query` (offset and limit ignored: all of them) as CSV to `path`,
    // whole or not at all. Returns how many rows were written.
    std::optional<qint64> exportCsv(const QString& path, const SearchQuery& query, bool fullIds,
                                    QString* error);

    // register audit: every link of the chain, every text against its SHA-256, the numbers of
    // every year; `since` a head noted earlier that must still be in the chain.
    std::optional<AuditResult> audit(const QString& since, QString* error);
    // What opening the register has to tell the user once; empty when nothing.
    QString openingNotice() const { return m_storage->openingNotice(); }

    RegisterStorage& storage() { return *m_storage; }

private:
    QDateTime now() const;
    // A text without a number: the entry that holds it word for word, else the closest of the
    // entries whose name and ID number (or name and leaving date) it holds.
    std::optional<VerifyResult> verifyUnnumberedText(const QString& text, QString* error);
    // Sets the outcome, version and difference of `result` (whose entry is loaded) for `text`.
    static void compareWithVersions(VerifyResult& result, const QString& text);

    std::unique_ptr<RegisterStorage> m_storage;
    std::function<QDateTime()> m_clock;
    QString m_operator;
    QString m_prefix;
};

// What Generate and a batch say after a register failure: the certificate is made all the same.
inline const QString kIssuedWithoutRegister = QStringLiteral("证明照常生成，但本次不登记。");

// The desktop user's login name.
QString currentLoginName();

} // namespace Register
