#pragma once

#include "register/CertificateRegister.h"
#include "register/RegisterFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// A register in a fresh temporary folder, with a clock the test sets.
class RegisterFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        reopen();
    }

    QString path() const { return m_dir.filePath(Register::kRegisterFileName); }
    QString dirPath() const { return m_dir.path(); }

    void reopen()
    {
        reg.reset();
        QString error;
        reg = Register::CertificateRegister::open(path(), &error);
        ASSERT_TRUE(reg) << error.toStdString();
        reg->setClock([this] { return clock; });
        reg->setOperatorName(QStringLiteral("hr01"));
    }

    static Register::NewEntry
    person(const QString& name, const QString& id,
           const QString& leave = QStringLiteral("2026年3月5日"),
           const QString& company = QStringLiteral("北京星河科技有限公司"))
    {
        Register::NewEntry e;
        e.templateName = QStringLiteral("标准模板");
        e.templateText =
            QStringLiteral("兹证明【姓名】（身份证号：【身份证号】）于【离职日期】离职。"
                           "编号：【证明编号】");
        e.values = {{QStringLiteral("姓名"), name},
                    {QStringLiteral("身份证号"), id},
                    {QStringLiteral("公司名称"), company},
                    {QStringLiteral("离职日期"), leave}};
        return e;
    }

    // Adds an entry whose text is "证明 <number> <name>".
    Register::IssuedEntry add(const Register::NewEntry& e)
    {
        QString error;
        const auto made = reg->addEntry(
            e,
            [&e](const QString& number) {
                return QStringLiteral("离职证明\r\n\r\n编号：%1\r\n姓名：%2\r\n")
                    .arg(number, e.values.value(0).value);
            },
            &error);
        EXPECT_TRUE(made) << error.toStdString();
        return made.value_or(Register::IssuedEntry{});
    }

    QDateTime clock = QDateTime(QDate(2026, 12, 7), QTime(9, 30));
    std::unique_ptr<Register::CertificateRegister> reg;

private:
    QTemporaryDir m_dir;
};
