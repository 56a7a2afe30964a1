#include "issue/LeavingSeal.h"

#include "compose/CertificateComposer.h"
#include "compose/FormFields.h"
#include "register/RegisterTypes.h"
#include "seal/CertificateSeal.h"
#include "seal/SealFiles.h"

#include <QDir>

namespace Issue {

namespace {

const QString kIssueDateKey = QStringLiteral("出具日期");

} // namespace

void LeavingSealer::useKeyFile(const QString& path)
{
    if (path != m_keyPath) {
        m_keyPath = path;
        m_key.reset();
    }
}

Sealed LeavingSealer::seal(const SealSubject& subject, const QString& text)
{
    Sealed out;
    if (!Compose::HasVerificationCode(subject.templateText)) {
        return out;
    }
    if (!m_key) {
        if (m_keyPath.isEmpty()) {
            out.error = QStringLiteral("没有签名密钥，无法生成查验码。");
            return out;
        }
        QString error;
        m_key = Seal::loadOrCreateSealKey(m_keyPath, true, &error);
        if (!m_key) {
            out.error = QStringLiteral("无法生成查验码：%1").arg(error);
            return out;
        }
    }
    const QDate issued = subject.issued.isValid() ? subject.issued : QDate::currentDate();
    QString error;
    const std::optional<Seal::SealedCertificate> sealed =
        Seal::sealCertificate(*m_key, subject.values, text, issued, &error);
    if (!sealed) {
        out.error = QStringLiteral("无法生成查验码：%1").arg(error);
        return out;
    }
    out.seal = QString::fromLatin1(sealed->payload.toBase64());
    out.code = sealed->code;
    return out;
}

SealSubject sealSubjectOf(const Register::Entry& entry)
{
    SealSubject subject;
    subject.templateText = entry.templateText;
    Compose::FieldValues fields;
    QString issueDate;
    for (const Register::FormValue& value : entry.values) {
        if (const std::optional<int> field = Compose::fieldOfLabel(value.key)) {
            fields[size_t(*field)] = value.value;
        } else if (value.key == kIssueDateKey) {
            issueDate = value.value;
        }
    }
    subject.values = Compose::certificateValuesOf(fields);
    subject.values.certificateNumber = entry.summary.number;
    subject.values.issueDate = issueDate;
    subject.issued = entry.summary.createdAt.toLocalTime().date();
    return subject;
}

} // namespace Issue
