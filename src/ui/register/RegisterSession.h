#pragma once

#include "issue/CertificateIssuer.h"
#include "register/LeavingNote.h"

#include <QString>
#include <optional>

class QWidget;

namespace Register {
class CertificateRegister;
}

// The main window's issuing session: the issuer with the register beside the library (or a
// team's), and the certificate of the last Generate, kept with its entry, which every print,
// export and copy sends out (with the edits the user made to it in the result box). What the
// issuer has to say is shown here, once, as notices over the window that asked.
class RegisterSession
{
public:
    explicit RegisterSession(QString registerPath);
    ~RegisterSession();
    RegisterSession(const RegisterSession&) = delete;
    RegisterSession& operator=(const RegisterSession&) = delete;

    const QString& path() const { return m_path; }

    // The register is the one on a team's server (libpq connection text) instead of the file.
    // A server that cannot be reached is tried again at the next need.
    void useServer(const QString& conninfo);
    bool usesServer() const { return !m_server.isEmpty(); }
    const QString& server() const { return m_server; }

    Issue::CertificateIssuer& issuer() { return m_issuer; }

    // The open register; null (after one notice to `parent`) when it cannot be opened.
    Register::CertificateRegister* reg(QWidget* parent);

    // Generate: issues the certificate and keeps it. False (after the notice that says why)
    // when nothing was made; the certificate kept before stays.
    bool issue(QWidget* parent, const Issue::Request& request, int width);

    // The certificate kept: its register entry (0: none) and its text as the user has it.
    qint64 currentEntry() const { return m_entry; }
    const QString& currentText() const { return m_text; }
    // The number the kept certificate's entry was given; empty without one.
    const QString& currentNumber() const { return m_number; }
    // The user edited the certificate.
    void setCurrentText(const QString& text) { m_text = text; }

    // The seal of `text` leaving now as the kept certificate, made before its page is drawn
    // (see Issue::CertificateIssuer::seal); nullopt after a notice to `parent` when it cannot be
    // signed, and then the certificate must not leave.
    std::optional<Issue::Sealed> seal(QWidget* parent, const QString& text);

    // The wording check just before a certificate holding `text` leaves kavri: asked over
    // `parent` when the text holds phrases of the office's list. The note to record with the
    // leaving (its wording empty when nothing was found); nothing when the clerk stopped, and
    // then nothing may leave.
    static std::optional<Register::LeavingNote> confirmWording(QWidget* parent,
                                                               const QString& text);

    // The kept certificate left kavri as `kind`, holding `text` (with `file`, put in place only
    // together with its record), with `note` (the page's signed code, the wording let go)
    // recorded with it. False after a notice to `parent` when it did not leave.
    bool leave(QWidget* parent, Issue::LeavingKind kind, const QString& text,
               StagedFile* file = nullptr, const Register::LeavingNote& note = {});

private:
    void tellOpeningNotice(QWidget* parent);

    QString m_path;
    QString m_server;
    Issue::CertificateIssuer m_issuer;
    qint64 m_entry = 0;
    QString m_text;
    QString m_number;
    Issue::SealSubject m_subject; // what the kept certificate is signed from
};
