// kavri-cli register public-key, trust-key and verify-scan, as a company publishing its key and a
// new employer checking a certificate would run them: two desks, each with its own folder.
#include "CliRun.h"
#include "../scan/ScanFixtures.h"

#include "seal/SealFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SealCli : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(issuer.isValid() && employer.isValid()); }

    static QString registerIn(const QTemporaryDir& desk)
    {
        return desk.filePath(QStringLiteral("kavri_register.db"));
    }

    // The issuing desk's key as `register public-key` made it.
    Seal::SealKey issuerKey()
    {
        QString error;
        const auto key = Seal::loadOrCreateSealKey(
            Seal::sealKeyPathBeside(registerIn(issuer)), false, &error);
        EXPECT_TRUE(key) << error.toStdString();
        return key.value_or(Seal::SealKey());
    }

    QString codeFile(const QByteArray& payload, const char* name)
    {
        const QString path = issuer.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(ScanTest::codeImage(Seal::encodeQr(payload)).save(path, "PNG"));
        return path;
    }

    CliRun verifyAt(const QTemporaryDir& desk, const QString& file)
    {
        return runCli({QStringLiteral("verify-scan"), file, QStringLiteral("--register"), registerIn(desk)});
    }

    QTemporaryDir issuer;
    QTemporaryDir employer;
};

} // namespace

TEST_F(SealCli, PublishTrustAndVerify)
{
    const CliRun published = runCli({"register", "public-key", "--register", registerIn(issuer),
                                     "--name", QStringLiteral("上海明远信息技术有限公司")});
    ASSERT_EQ(published.status, 0) << published.errText().toStdString();
    const Seal::SealKey key = issuerKey();
    ASSERT_FALSE(key.isNull());
    EXPECT_TRUE(published.outText().startsWith(
        QStringLiteral("# 密钥编号 %1\n# 上海明远信息技术有限公司\n-----BEGIN PUBLIC KEY-----")
            .arg(Seal::keyIdText(key.keyId()))))
        << published.outText().toStdString();
    // Asked again, the same key.
    EXPECT_EQ(runCli({"register", "public-key", "--register", registerIn(issuer)}).outText(),
              QStringLiteral("# 密钥编号 %1\n").arg(Seal::keyIdText(key.keyId())) +
                  QString::fromLatin1(key.publicPem()));

    const QString certificate =
        codeFile(ScanTest::seal(key, ScanTest::values(), ScanTest::certificateText()).payload, "scan.png");
    const CliRun own = verifyAt(issuer, certificate);
    EXPECT_EQ(own.status, 0) << own.errText().toStdString();
    EXPECT_TRUE(own.outText().startsWith(QStringLiteral("真实：签名有效，由本单位的密钥签署。\r\n")));
    EXPECT_TRUE(own.outText().contains(QStringLiteral("\r\n姓名：王小明\r\n")));

    // The new employer's desk does not know the key until it trusts it.
    const CliRun unknown = verifyAt(employer, certificate);
    EXPECT_EQ(unknown.status, 3);
    EXPECT_TRUE(unknown.outText().startsWith(QStringLiteral("无法确认：查验码由未知密钥")));
    const QString pem = employer.filePath(QStringLiteral("明远.pem"));
    QFile out(pem);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(published.out);
    out.close();
    const CliRun trusted = runCli({"trust-key", pem, "--register", registerIn(employer)});
    ASSERT_EQ(trusted.status, 0) << trusted.errText().toStdString();
    EXPECT_EQ(trusted.outText(), QStringLiteral("已添加受信任的公钥，密钥编号 %1。\r\n")
                                     .arg(Seal::keyIdText(key.keyId())));
    const CliRun known = verifyAt(employer, certificate);
    EXPECT_EQ(known.status, 0) << known.outText().toStdString();
    EXPECT_TRUE(known.outText().startsWith(
        QStringLiteral("真实：签名有效，由受信任单位“上海明远信息技术有限公司”的密钥签署。")));

    const CliRun removed = runCli({"trust-key", "--remove", Seal::keyIdText(key.keyId()),
                                   "--register", registerIn(employer)});
    EXPECT_EQ(removed.status, 0) << removed.errText().toStdString();
    EXPECT_EQ(verifyAt(employer, certificate).status, 3);
}

TEST_F(SealCli, AlteredNoCodeAndUnreadableFiles)
{
    ASSERT_EQ(runCli({"register", "public-key", "--register", registerIn(issuer)}).status, 0);
    QByteArray altered = ScanTest::seal(issuerKey(), ScanTest::values(), ScanTest::certificateText()).payload;
    altered[33] = 'M';
    const CliRun bad = verifyAt(issuer, codeFile(altered, "altered.png"));
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(bad.outText().startsWith(QStringLiteral("不符：签名无效")));
    EXPECT_TRUE(bad.outText().contains(QStringLiteral("证明编号：MZ2026-000123")));

    QImage blank(300, 300, QImage::Format_RGB32);
    blank.fill(Qt::white);
    const QString blankFile = issuer.filePath(QStringLiteral("blank.png"));
    ASSERT_TRUE(blank.save(blankFile));
    const CliRun none = verifyAt(issuer, blankFile);
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.outText(), QStringLiteral("未找到本程序的查验码。\r\n"));

    const CliRun missing = verifyAt(issuer, issuer.filePath(QStringLiteral("nothing.png")));
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.errText().contains(QStringLiteral("不存在"))) << missing.errText().toStdString();
    EXPECT_EQ(runCli({"verify-scan"}).status, 2);
    EXPECT_NE(runCli({"trust-key", blankFile, "--register", registerIn(issuer)}).status, 0);
}

// verify-scan runs in kavri-cli-scan beside kavri-cli: the arguments reach it as they were
// given (a name with spaces and Chinese), and a kavri-cli without its helper says so and finds
// no code, with verify-scan's status.
TEST_F(SealCli, VerifyScanIsHandedToItsHelperArgumentsAndAll)
{
    QImage blank(200, 200, QImage::Format_RGB32);
    blank.fill(Qt::white);
    const QString blankFile = issuer.filePath(QStringLiteral("空白 扫描件（第1页）.png"));
    ASSERT_TRUE(blank.save(blankFile, "PNG"));
    const CliRun none = verifyAt(issuer, blankFile);
    EXPECT_EQ(none.status, 2) << none.errText().toStdString();
    EXPECT_EQ(none.outText(), QStringLiteral("未找到本程序的查验码。\r\n"));

    const QString alone = issuer.filePath(QStringLiteral("alone"));
    ASSERT_TRUE(QDir().mkpath(alone));
    const QString copy = alone + QStringLiteral("/kavri-cli");
    ASSERT_TRUE(QFile::copy(QStringLiteral(KAVRI_CLI_PATH), copy));
    QProcess process;
    process.start(copy, {QStringLiteral("verify-scan"), blankFile});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(err.startsWith(QStringLiteral("kavri-cli: 无法运行 %1/kavri-cli-scan（").arg(alone)))
        << err.toStdString();
    // The copy's other commands do without the helper.
    process.start(copy, {QStringLiteral("check-id"), QStringLiteral("--help")});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0);
}
