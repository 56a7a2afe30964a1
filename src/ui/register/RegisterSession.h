#pragma once

#include "register/RegisterTypes.h"

#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace Register {
class CertificateRegister;
}

// The register as the main window uses it during one run: opened at the first need, the entry of
// the last Generate remembered, and every text that leaves recorded against it. A register that
// cannot be opened never stops a certificate: the user is told once, and from then on the
// certificates are made without a number and without being recorded.
class RegisterSession
{
public:
    using Composer = std::function<QString(const QString& number)>;

    explicit RegisterSession(QString registerPath);
    ~RegisterSession();
    RegisterSession(const RegisterSession&) = delete;
    RegisterSession& operator=(const RegisterSession&) = delete;

    const QString& path() const { return m_path; }

    // The register is the one on a team's server (libpq connection text) instead of the file.
    // A server that cannot be reached is tried again at the next need, and each certificate
    // made without it says so: the next action after the server is back records again.
    void useServer(const QString& conninfo);
    bool usesServer() const { return !m_server.isEmpty(); }

    // The open register; null (after one notice to `parent`) when it cannot be opened.
    Register::CertificateRegister* reg(QWidget* parent);

    // Generate: makes the entry and returns the text `compose` made with its number. Without a
    // register the text is composed with an empty number and nothing is recorded.
    QString issue(QWidget* parent, const Register::NewEntry& entry, const Composer& compose);

    // The result box's text left kavri as `kind`; recorded against the last Generate's entry.
    // Nothing is recorded before the first Generate of the run.
    void recordLeaving(QWidget* parent, Register::EventKind kind, const QString& text);

    qint64 currentEntry() const { return m_entry; }
    // The number the last Generate's entry was given; empty without one.
    const QString& currentNumber() const { return m_number; }

private:
    QString m_path;
    QString m_server;
    std::unique_ptr<Register::CertificateRegister> m_reg;
    bool m_failed = false;
    qint64 m_entry = 0;
    QString m_number;
};
