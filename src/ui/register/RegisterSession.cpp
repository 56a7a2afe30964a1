#include "ui/register/RegisterSession.h"

#include "ui/common/Notifier.h"
#include "register/CertificateRegister.h"

RegisterSession::RegisterSession(QString registerPath) : m_path(std::move(registerPath)) {}

RegisterSession::~RegisterSession() = default;

Register::CertificateRegister* RegisterSession::reg(QWidget* parent)
{
    if (!m_reg && !m_failed) {
        QString error;
        m_reg = Register::CertificateRegister::open(m_path, &error);
        if (!m_reg) {
            m_failed = true;
            Notifier::information(parent, error);
        }
    }
    return m_reg.get();
}

QString RegisterSession::issue(QWidget* parent, const Register::NewEntry& entry,
                               const Composer& compose)
{
    m_entry = 0;
    Register::CertificateRegister* r = reg(parent);
    if (!r) {
        return compose(QString());
    }
    QString error;
    const std::optional<Register::IssuedEntry> made = r->addEntry(entry, compose, &error);
    if (!made) {
        Notifier::information(parent, error + QStringLiteral("\n证明照常生成，但本次不登记。"));
        return compose(QString());
    }
    m_entry = made->id;
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
