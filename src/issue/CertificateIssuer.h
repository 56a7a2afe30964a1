#pragma once

#include "compose/CertificateValues.h"
#include "compose/FormFields.h"
#include "issue/LeavingSeal.h"
#include "issue/StagedFile.h"
#include "legal/RecordedValues.h"
#include "register/LeavingNote.h"
#include "register/RegisterTypes.h"
#include "store/LibraryStore.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class CDbVisit;

namespace Register {
class CertificateRegister;
}

// Issuing certificates: the one way a certificate is made (the main window's Generate, a batch,
// kavri-cli) and the one place every certificate passes through when it leaves kavri.
namespace Issue {

// What one certificate is made of.
struct Request
{
    // The template as the library lists it, and its text.
    QString templateName;
    QString templateText;
    // The nine values as the form, the sheet or the options hold them; cleaned here.
    Compose::FieldValues fields;
    // The dates of the placeholders beyond the nine: the contract (an invalid start: no contract
    // term), the dates of joining and leaving (the years of service) and the date of issue.
    Legal::LegalDates dates;
};

// What became of a request.
struct Issued
{
    enum class Refusal
    {
        None,
        Values,     // the values cannot make a certificate
        Characters, // a value holds a character no certificate may carry (said in full)
        Library,  // the library could not be reached to note the values (libraryFailures)
        Register, // the certificate needs the register and the register cannot be used
    };
    Refusal refusal = Refusal::None;
    // Why nothing was made, in Chinese, one sentence each (none for Refusal::Library).
    QStringList problems;
    // What the library could not note, each failure once and in order, for the window that
    // asked to show: with Refusal::Library why nothing was made; with a certificate made, the
    // statements of the bookkeeping that failed (the certificate stands all the same).
    QList<StoreFailure> libraryFailures;
    // Made, but the user should hear this once: the register could not be used, so the
    // certificate carries no number and is not recorded.
    QString notice;

    qint64 entryId = 0; // 0: not in the register
    QString number;     // empty: no number
    QString text;       // the whole certificate, title included
    CertificateValues values;

    bool made() const { return refusal == Refusal::None; }
};

// What became of a leaving.
struct Left
{
    bool ok = false;
    // It failed because the register could not record it (else: the file could not be put in
    // place).
    bool registerFailed = false;
    QString error;  // in Chinese, when it failed
    QString reason; // when the file failed: the system's reason alone

    explicit operator bool() const { return ok; }
};

// How a certificate left kavri.
enum class LeavingKind
{
    Printed,
    Pdf,
    Copied,
    Batch, // a page of a batch's PDF
    Ofd,
};

// The register's word for a leaving.
Register::EventKind eventKindOf(LeavingKind kind);

// How an issuer uses the register.
enum class RegisterUse
{
    // Every certificate is numbered and recorded; a register that cannot be used refuses it
    // (a batch).
    Required,
    // Numbered and recorded while the register can be used. Without it a template that prints
    // its number is refused, any other is made without a number, with one notice (Generate).
    WhenAvailable,
    // No register at all: nothing is numbered or recorded, and a template that prints its
    // number is refused (an unregistered run, kavri-cli's compose and pdf).
    None,
};

// One place that issues: the register it numbers in (opened at the first need and kept), the
// library whose defaults follow the values used (when it has one), and the width certificates
// are composed for. It never shows anything: what the user should hear comes back as text.
// Use it from one thread at a time.
class CertificateIssuer
{
public:
    CertificateIssuer();
    ~CertificateIssuer();
    CertificateIssuer(const CertificateIssuer&) = delete;
    CertificateIssuer& operator=(const CertificateIssuer&) = delete;

    // The register file at `path` (made on first use).
    void useRegisterFile(const QString& path);
    // The register on a team's server (libpq connection text).
    void useRegisterServer(const QString& conninfo);
    // A register opened elsewhere, which the caller keeps alive (tests, tools).
    void useRegister(Register::CertificateRegister* reg);
    void setRegisterUse(RegisterUse use) { m_use = use; }
    RegisterUse registerUse() const { return m_use; }
    // Where the register is, for messages: the file's path or the server's name.
    QString registerName() const;

    // The library whose default entries become the values a certificate uses (company,
    // department, position, reason); none by default. Its typed store does the writing; what
    // fails there comes back in Issued::libraryFailures, for the caller to show.
    void setLibrary(CDbVisit* library) { m_library = library; }

    // The installation's signing key for the certificates that carry a QR code; by default the
    // key beside the register file.
    void useSealKeyFile(const QString& path) { m_sealKeyPath = path; }
    QString sealKeyFile() const;

    // The open register; null with `error` set when it cannot be opened. A file that cannot be
    // opened is not tried again in this issuer's life (`error` is then empty after the first
    // time); a server is tried again at each call.
    Register::CertificateRegister* reg(QString* error);
    // What the register had to say when this issuer opened it (an older file carried forward),
    // handed out once; empty when nothing.
    QString takeOpeningNotice();

    // Checks the values, notes them in the library, takes the register's next number and
    // composes the certificate `width` characters wide.
    Issued issue(const Request& request, int width);

    // Checks the values only: the problems issue() would refuse them with.
    static QStringList check(const Request& request);
    // The certificate's values as issue() composes them, without a number.
    static CertificateValues valuesOf(const Request& request);
    // What the register keeps of a request: the nine under their names, then what the
    // placeholders beyond them were made from.
    static Register::FormValues registerValuesOf(const Request& request);
    // True when the template prints the certificate's number.
    static bool printsNumber(const QString& templateText);

    // The seal of `text` about to leave kavri, made before its page is drawn: the code the page
    // draws, and what leave() records with the leaving. Nothing for a template without
    // 【查验码】; a failure (in Chinese) means the certificate must not leave.
    Sealed seal(const SealSubject& subject, const QString& text);

    // The certificate `entryId` (0: none) left kavri as `kind`, holding `text`: the one place
    // every leaving passes through. With a file, the file is put in place inside the register's
    // transaction, as its last step: either the file is there and the register holds the
    // leaving, or neither (the staged file is then removed). The note is kept with the event.
    Left leave(qint64 entryId, LeavingKind kind, const QString& text, StagedFile* file = nullptr,
               const Register::LeavingNote& note = {});
    // Several certificates left in one file (the pages of a combined PDF), recorded together.
    struct Page
    {
        qint64 entryId = 0;
        QString text;
        Register::LeavingNote note;
    };
    Left leaveTogether(const QList<Page>& pages, LeavingKind kind, StagedFile* file);

private:
    QString m_registerPath;
    QString m_server;
    Register::CertificateRegister* m_external = nullptr;
    std::unique_ptr<Register::CertificateRegister> m_reg;
    bool m_fileFailed = false;
    QString m_openingNotice;
    RegisterUse m_use = RegisterUse::WhenAvailable;
    CDbVisit* m_library = nullptr;
    QString m_sealKeyPath;
    LeavingSealer m_sealer;
};

} // namespace Issue
