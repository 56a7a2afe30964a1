#include "SealFixtures.h"

#include "seal/SealKey.h"

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Seal;
using SealTest::otherKey;
using SealTest::ownKey;

namespace {

const QString kOpenSsl = QStringLiteral("openssl");
const QByteArray kMessage = QByteArrayLiteral("\xA1\x00 the signed part of a certificate code");

} // namespace

TEST(SealKey, SignsAndVerifiesItsOwnSignature)
{
    const QByteArray signature = ownKey().sign(kMessage);
    ASSERT_EQ(signature.size(), 64);
    EXPECT_TRUE(ownKey().verify(kMessage, signature));
}

TEST(SealKey, RefusesAlteredMessageSignatureOrKey)
{
    const QByteArray signature = ownKey().sign(kMessage);
    QByteArray altered = kMessage;
    altered[5] = char(altered[5] ^ 1);
    EXPECT_FALSE(ownKey().verify(altered, signature));
    QByteArray badSignature = signature;
    badSignature[40] = char(badSignature[40] ^ 0x10);
    EXPECT_FALSE(ownKey().verify(kMessage, badSignature));
    EXPECT_FALSE(otherKey().verify(kMessage, signature));
    EXPECT_FALSE(ownKey().verify(kMessage, signature.left(63)));
    EXPECT_FALSE(ownKey().verify(kMessage, QByteArray(64, '\0')));
}

TEST(SealKey, PemRoundTripKeepsTheKeyAndItsId)
{
    QString error;
    const std::optional<SealKey> restored = SealKey::fromPem(ownKey().privatePem(), &error);
    ASSERT_TRUE(restored) << error.toStdString();
    EXPECT_TRUE(restored->hasPrivateKey());
    EXPECT_EQ(restored->keyId(), ownKey().keyId());
    EXPECT_TRUE(ownKey().verify(kMessage, restored->sign(kMessage)));

    const std::optional<SealKey> publicOnly = SealKey::fromPem(ownKey().publicPem(), &error);
    ASSERT_TRUE(publicOnly);
    EXPECT_FALSE(publicOnly->hasPrivateKey());
    EXPECT_TRUE(publicOnly->privatePem().isEmpty());
    EXPECT_TRUE(publicOnly->sign(kMessage).isEmpty());
    EXPECT_TRUE(publicOnly->verify(kMessage, ownKey().sign(kMessage)));
    EXPECT_NE(ownKey().keyId(), otherKey().keyId());
}

TEST(SealKey, KeyIdIsTheStartOfTheSha256OfTheDerPublicKeyAsOpensslWritesIt)
{
    QTemporaryDir dir;
    const QString pem = dir.filePath(QStringLiteral("pub.pem"));
    const QString der = dir.filePath(QStringLiteral("pub.der"));
    SealTest::writeFile(pem, ownKey().publicPem());
    const SealTest::ToolRun run = SealTest::runTool(
        kOpenSsl, {"pkey", "-pubin", "-in", pem, "-outform", "DER", "-out", der});
    ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
    const QByteArray expected =
        QCryptographicHash::hash(SealTest::readFile(der), QCryptographicHash::Sha256).left(8);
    EXPECT_EQ(ownKey().keyId(), expected);
    EXPECT_EQ(ownKey().keyId().size(), 8);
}

TEST(SealKey, RefusesKeysThatAreNotSm2AndTextThatIsNoKey)
{
    QTemporaryDir dir;
    const QString p256 = dir.filePath(QStringLiteral("p256.pem"));
    const SealTest::ToolRun run = SealTest::runTool(
        kOpenSsl, {"genpkey", "-algorithm", "EC", "-pkeyopt", "ec_paramgen_curve:P-256", "-out", p256});
    ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
    QString error;
    EXPECT_FALSE(SealKey::fromPem(SealTest::readFile(p256), &error));
    EXPECT_EQ(error, QStringLiteral("密钥不是 SM2 密钥"));
    for (const QByteArray& junk :
         {QByteArray(), QByteArray("-----BEGIN PUBLIC KEY-----\nAAAA\n-----END PUBLIC KEY-----\n"),
          QByteArray("hello")}) {
        EXPECT_FALSE(SealKey::fromPem(junk, &error)) << junk.toStdString();
    }
}

TEST(SealKey, SignatureDerConversionRoundTripsAndRejectsJunk)
{
    QByteArray raw(64, '\0');
    raw[0] = 0x01; // r with its top bit clear
    raw[31] = 0x7F;
    raw[32] = char(0x80); // s with its top bit set: DER adds a zero byte
    raw[63] = 0x02;
    const QByteArray der = signatureToDer(raw);
    ASSERT_FALSE(der.isEmpty());
    EXPECT_EQ(der.at(0), 0x30);
    EXPECT_EQ(signatureFromDer(der), raw);
    EXPECT_TRUE(signatureToDer(raw.left(10)).isEmpty());
    EXPECT_TRUE(signatureFromDer(QByteArray("\x30\x02\x01", 3)).isEmpty());
    EXPECT_EQ(keyIdText(QByteArray::fromHex("0123456789abcdef")), QStringLiteral("0123 4567 89ab cdef"));
}

// The outside implementation: the openssl command-line tool checks kavri's signature with the
// GM/T 0009 identifier, and kavri checks one the tool made. Without the identifier the tool
// (which then uses an empty one) must refuse the same signature.
class SealInterop : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        SealTest::writeFile(path("msg"), kMessage);
        SealTest::writeFile(path("pub.pem"), ownKey().publicPem());
        SealTest::writeFile(path("key.pem"), ownKey().privatePem());
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    SealTest::ToolRun verifyWithOpenssl(bool withIdentifier) const
    {
        QStringList args = {"pkeyutl", "-verify", "-rawin", "-digest", "sm3", "-pubin",
                            "-inkey", path("pub.pem"), "-in", path("msg"), "-sigfile",
                            path("sig.der")};
        if (withIdentifier) {
            args << "-pkeyopt" << "distid:1234567812345678";
        }
        return SealTest::runTool(kOpenSsl, args);
    }
    QTemporaryDir dir;
};

TEST_F(SealInterop, OpensslVerifiesKavrisSignatureWithTheStandardIdentifier)
{
    SealTest::writeFile(path("sig.der"), signatureToDer(ownKey().sign(kMessage)));
    const SealTest::ToolRun run = verifyWithOpenssl(true);
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains("Signature Verified Successfully")) << run.output.toStdString();
}

TEST_F(SealInterop, OpensslWithItsEmptyDefaultIdentifierRefusesIt)
{
    SealTest::writeFile(path("sig.der"), signatureToDer(ownKey().sign(kMessage)));
    const SealTest::ToolRun run = verifyWithOpenssl(false);
    EXPECT_NE(run.exitCode, 0) << run.output.toStdString();
}

TEST_F(SealInterop, KavriVerifiesASignatureOpensslMade)
{
    const SealTest::ToolRun run = SealTest::runTool(
        kOpenSsl, {"pkeyutl", "-sign", "-rawin", "-digest", "sm3", "-inkey", path("key.pem"),
                   "-in", path("msg"), "-out", path("sig.der"), "-pkeyopt",
                   "distid:1234567812345678"});
    ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
    const QByteArray raw = signatureFromDer(SealTest::readFile(path("sig.der")));
    ASSERT_EQ(raw.size(), 64);
    EXPECT_TRUE(ownKey().verify(kMessage, raw));
    QByteArray other = kMessage;
    other.append('!');
    EXPECT_FALSE(ownKey().verify(other, raw));
}
