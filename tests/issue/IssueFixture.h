#pragma once

#include "issue/CertificateIssuer.h"
#include "register/CertificateRegister.h"
#include "register/RegisterFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A folder of the test's own with a register file in it, opened with a fixed clock and operator,
// and an issuer that numbers in it.
class IssueFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QString error;
        reg = Register::CertificateRegister::open(registerPath(), &error);
        ASSERT_TRUE(reg) << error.toStdString();
        reg->setClock([] { return QDateTime(QDate(2025, 6, 2), QTime(9, 0)); });
        reg->setOperatorName(QStringLiteral("hr"));
        issuer.useRegister(reg.get());
        issuer.setRegisterUse(Issue::RegisterUse::WhenAvailable);
    }

    QString registerPath() const { return dir.filePath(Register::kRegisterFileName); }
    QString path(const QString& name) const { return dir.filePath(name); }

    // Every entry, oldest first.
    QList<Register::Entry> entries()
    {
        QString error;
        Register::SearchQuery all;
        all.limit = 0;
        QList<Register::Entry> out;
        for (const Register::EntrySummary& s :
             reg->search(all, &error).value_or(QList<Register::EntrySummary>())) {
            if (const std::optional<Register::Entry> e = reg->entry(s.id, &error)) {
                out.prepend(*e);
            }
        }
        return out;
    }

    // The folder's files, hidden and temporary ones included.
    QStringList files() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir dir;
    std::unique_ptr<Register::CertificateRegister> reg;
    Issue::CertificateIssuer issuer;
};

// A request with every field of the form as a person types it.
inline Issue::Request TypedRequest(const QString& templateText)
{
    Issue::Request request;
    request.templateName = QStringLiteral("标准模板");
    request.templateText = templateText;
    request.fields = {QStringLiteral("张三"),
                      QStringLiteral("男"),
                      QStringLiteral("110101199003071234"),
                      QStringLiteral("星辰公司"),
                      QStringLiteral("研发部"),
                      QStringLiteral("工程师"),
                      QStringLiteral("2019年 3月 1日 星期五"),
                      QStringLiteral("2024年 5月31日 星期五"),
                      QStringLiteral("个人原因（家中有事）")};
    request.dates.issued = QDate(2025, 6, 2);
    return request;
}
