#include "ui/register/RegisterSession.h"

#include "register/CertificateRegister.h"
#include "ui/common/Notifier.h"

RegisterSession::RegisterSession(QString registerPath) : m_path(std::move(registerPath)) {}

RegisterSession::~RegisterSession() = default;

void RegisterSession::useServer(const QString& conninfo)
{
    m_server = conninfo;
    m_reg.reset();
    m_failed = false;
    m_entry = 0;
    m_number.clear();
}

Register::CertificateRegister* RegisterSession::reg(QWidget* parent)
{
    if (!m_reg && !m_failed) {
        QString error;
        m_reg = m_server.isEmpty() ? Register::CertificateRegister::open(m_path, &error)
                                   : Register::CertificateRegister::openServer(m_server, &error);
        if (!m_reg) {
            // A file that cannot be opened stays so for the run; a server may come back.
            m_failed = m_server.isEmpty();
            Notifier::information(parent, error + u'\n' + Register::kIssuedWithoutRegister);
        } else if (const QString notice = m_reg->openingNotice(); !notice.isEmpty()) {
            // An older register carried forward says so, once: the next opening has nothing
            // left to carry.
            Notifier::information(parent, notice);
        }
    }
    return m_reg.get();
}

QString RegisterSession::issue(QWidget* parent, const Register::NewEntry& entry,
                               const Composer& compose)
{
    m_entry = 0;
    m_number.clear();
    Register::CertificateRegister* r = reg(parent);
    if (!r) {
        return compose(QString());
    }
    QString error;
    const std::optional<Register::IssuedEntry> made = r->addEntry(entry, compose, &error);
    if (!made) {
        Notifier::information(parent, error + u'\n' + Register::kIssuedWithoutRegister);
        return compose(QString());
    }
    m_entry = made->id;
    m_number = made->number;
    return made->text;
}

void RegisterSession::recordLeaving(QWidget* parent, Register::EventKind kind, const QString& text)
{
    if (m_entry == 0 || !m_reg) {
        return;
    }
    QString error;
    if (!m_reg->recordEvent(m_entry, kind, text, &error)) {
        Notifier::information(parent, error);
    }
}
