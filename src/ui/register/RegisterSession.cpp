#include "ui/register/RegisterSession.h"

#include "register/CertificateRegister.h"
#include "ui/common/Notifier.h"
#include "ui/common/WordingPrompt.h"

RegisterSession::RegisterSession(QString registerPath) : m_path(std::move(registerPath))
{
    m_issuer.useRegisterFile(m_path);
    m_issuer.setRegisterUse(Issue::RegisterUse::WhenAvailable);
}

RegisterSession::~RegisterSession() = default;

void RegisterSession::useServer(const QString& conninfo)
{
    m_server = conninfo;
    m_issuer.useRegisterServer(conninfo);
    m_entry = 0;
    m_number.clear();
}

Register::CertificateRegister* RegisterSession::reg(QWidget* parent)
{
    QString error;
    Register::CertificateRegister* r = m_issuer.reg(&error);
    if (!r && !error.isEmpty()) {
        Notifier::information(parent, error + u'\n' + Register::kIssuedWithoutRegister);
    }
    tellOpeningNotice(parent);
    return r;
}

void RegisterSession::tellOpeningNotice(QWidget* parent)
{
    // An older register carried forward says so, once: the next opening has nothing left to
    // carry.
    if (const QString notice = m_issuer.takeOpeningNotice(); !notice.isEmpty()) {
        Notifier::information(parent, notice);
    }
}

bool RegisterSession::issue(QWidget* parent, const Issue::Request& request, int width)
{
    const Issue::Issued issued = m_issuer.issue(request, width);
    // What the library could not note is said first, each failure once, in the words and the
    // box every failed library statement gets.
    for (const StoreFailure& failure : issued.libraryFailures) {
        Notifier::applicationWarning(parent, failure.text());
    }
    tellOpeningNotice(parent);
    switch (issued.refusal) {
    case Issue::Issued::Refusal::None:
        break;
    case Issue::Issued::Refusal::Values:
        Notifier::information(parent, issued.problems.join(QStringLiteral("；")) +
                                          QStringLiteral("，请改正后再生成离职证明。"));
        return false;
    case Issue::Issued::Refusal::Characters:
    case Issue::Issued::Refusal::Register:
        Notifier::information(parent, issued.problems.join(u'\n'));
        return false;
    case Issue::Issued::Refusal::Library:
        // Said above.
        return false;
    }
    if (!issued.notice.isEmpty()) {
        Notifier::information(parent, issued.notice);
    }
    m_entry = issued.entryId;
    m_number = issued.number;
    m_text = issued.text;
    m_subject = Issue::SealSubject{request.templateText, issued.values, request.dates.issued};
    return true;
}

std::optional<Issue::Sealed> RegisterSession::seal(QWidget* parent, const QString& text)
{
    Issue::Sealed sealed = m_issuer.seal(m_subject, text);
    if (sealed.failed()) {
        Notifier::information(parent, sealed.error);
        return std::nullopt;
    }
    return sealed;
}

std::optional<Register::LeavingNote> RegisterSession::confirmWording(QWidget* parent,
                                                                     const QString& text)
{
    const std::optional<QStringList> wording = WordingPrompt::confirm(parent, text);
    if (!wording) {
        return std::nullopt;
    }
    Register::LeavingNote note;
    note.wording = *wording;
    return note;
}

bool RegisterSession::leave(QWidget* parent, Issue::LeavingKind kind, const QString& text,
                            StagedFile* file, const Register::LeavingNote& note)
{
    const Issue::Left left = m_issuer.leave(m_entry, kind, text, file, note);
    if (!left) {
        Notifier::information(parent, left.error);
        return false;
    }
    return true;
}
