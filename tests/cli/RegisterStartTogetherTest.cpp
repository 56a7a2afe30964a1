// Two copies of kavri-cli started at the same moment on a register that does not exist yet: the
// first makes the file, its key and its tables, the other waits and numbers on in the same file.
// Real processes, each pair on a fresh folder, so that every pair meets the moment of creation.
#include "CliRun.h"
#include "register/CertificateRegister.h"
#include "register/RegisterFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <array>
#include <gtest/gtest.h>

namespace {

constexpr int kPairs = 12;
constexpr int kRows = 3; // each copy's certificates

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class RegisterStartTogether : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_template = m_dir.filePath(QStringLiteral("template.txt"));
        m_sheet = m_dir.filePath(QStringLiteral("leavers.csv"));
        ASSERT_TRUE(writeFile(m_template, "证明编号【证明编号】\n兹证明【姓名】于【离职日期】离职。"));
        ASSERT_TRUE(writeFile(m_sheet, "姓名,离职日期\n张三,2024-05-31\n李四,2024-06-30\n"
                                       "王五,2024-07-31\n"));
    }

    // kavri-cli batch writing into its own folder and numbering in `registerPath`.
    void start(QProcess& copy, const QString& registerPath, const QString& out) const
    {
        copy.start(QStringLiteral(KAVRI_CLI_PATH),
                   {QStringLiteral("batch"), QStringLiteral("--data"), m_sheet,
                    QStringLiteral("--template"), m_template, QStringLiteral("--out"), out,
                    QStringLiteral("--register"), registerPath});
    }

    QTemporaryDir m_dir;
    QString m_template;
    QString m_sheet;
};

} // namespace

// With the parameter true the key file is there already (a register whose first start was cut
// short, or a key restored alone); the database file is new either way.
TEST_P(RegisterStartTogether, EveryCertificateOfBothCopiesIsRegisteredOnce)
{
    const bool keyFirst = GetParam();
    for (int pair = 0; pair < kPairs; ++pair) {
        SCOPED_TRACE(pair);
        const QString folder = m_dir.filePath(QStringLiteral("pair%1").arg(pair));
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString registerPath = QDir(folder).filePath(Register::kRegisterFileName);
        if (keyFirst) {
            QString error;
            ASSERT_TRUE(Register::loadOrCreateKey(Register::keyPathFor(registerPath), true, &error))
                << error.toStdString();
        }
        std::array<QProcess, 2> copies;
        for (int i = 0; i < 2; ++i) {
            start(copies[i], registerPath, QDir(folder).filePath(QStringLiteral("out%1").arg(i)));
        }
        for (QProcess& copy : copies) {
            ASSERT_TRUE(copy.waitForFinished(60000));
            const QString said = QString::fromUtf8(copy.readAllStandardError());
            EXPECT_EQ(copy.exitCode(), 0) << said.toStdString();
            EXPECT_FALSE(said.contains(QStringLiteral("登记簿失败")) ||
                         said.contains(QStringLiteral("无法打开")))
                << said.toStdString();
        }

        // The lock is gone with the copy that held it.
        EXPECT_FALSE(QFile::exists(Register::lockPathFor(registerPath)));
        QString error;
        const auto reg = Register::CertificateRegister::open(registerPath, &error);
        ASSERT_TRUE(reg) << error.toStdString();
        Register::SearchQuery all;
        all.limit = 0;
        const auto entries = reg->search(all, &error);
        ASSERT_TRUE(entries) << error.toStdString();
        QSet<QString> numbers;
        for (const Register::EntrySummary& e : *entries) {
            numbers.insert(e.number);
        }
        EXPECT_EQ(entries->size(), 2 * kRows);
        EXPECT_EQ(numbers.size(), 2 * kRows);
        const QString year = QString::number(QDate::currentDate().year());
        EXPECT_TRUE(numbers.contains(QStringLiteral("LZ%1-000001").arg(year)));
        EXPECT_TRUE(numbers.contains(QStringLiteral("LZ%1-000006").arg(year)));
    }
}

INSTANTIATE_TEST_SUITE_P(NewRegister, RegisterStartTogether, ::testing::Values(false, true),
                         [](const auto& info) {
                             return info.param ? std::string("KeyAlreadyThere")
                                               : std::string("NothingThere");
                         });
