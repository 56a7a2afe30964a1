#include "SealFixtures.h"

#include "seal/SealFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Seal;

class SealFiles : public ::testing::Test
{
protected:
    QString registerPath() const { return dir.filePath(QStringLiteral("kavri_register.db")); }
    QTemporaryDir dir;
};

TEST_F(SealFiles, KeyIsMadeOnceUserOnlyBesideTheRegister)
{
    const QString keyPath = sealKeyPathBeside(registerPath());
    EXPECT_EQ(keyPath, dir.filePath(QStringLiteral("kavri_seal.key")));
    QString error;
    EXPECT_FALSE(loadOrCreateSealKey(keyPath, false, &error));
    EXPECT_FALSE(QFileInfo::exists(keyPath));

    const std::optional<SealKey> made = loadOrCreateSealKey(keyPath, true, &error);
    ASSERT_TRUE(made) << error.toStdString();
    EXPECT_TRUE(made->hasPrivateKey());
    // Readable and writable by its owner; nothing for the group or others.
    EXPECT_EQ(QFile::permissions(keyPath) & 0x0077, QFileDevice::Permissions());
    EXPECT_TRUE(QFile::permissions(keyPath).testFlag(QFileDevice::ReadOwner));
    EXPECT_TRUE(QFile::permissions(keyPath).testFlag(QFileDevice::WriteOwner));
    const std::optional<SealKey> again = loadOrCreateSealKey(keyPath, true, &error);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->keyId(), made->keyId());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("kavri_seal.key")});
}

TEST_F(SealFiles, ADamagedKeyFileIsReportedNotReplaced)
{
    const QString keyPath = sealKeyPathBeside(registerPath());
    SealTest::writeFile(keyPath, "not a key");
    QString error;
    EXPECT_FALSE(loadOrCreateSealKey(keyPath, true, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("签名密钥文件"))) << error.toStdString();
    EXPECT_EQ(SealTest::readFile(keyPath), QByteArray("not a key"));
}

TEST_F(SealFiles, TrustFolderAddsListsAndRemovesPublicKeysOnly)
{
    const QString folder = trustFolderBeside(registerPath());
    const QString published = dir.filePath(QStringLiteral("远航.pem"));
    SealTest::writeFile(published, labelledPublicPem(SealTest::otherKey(), QStringLiteral("北京远航科技有限公司")));
    QString error;
    const std::optional<QByteArray> id = addTrustedKey(folder, published, QString(), &error);
    ASSERT_TRUE(id) << error.toStdString();
    EXPECT_EQ(*id, SealTest::otherKey().keyId());

    // A private key given by mistake: only its public half is kept, under the label given.
    const QString privateFile = dir.filePath(QStringLiteral("own.key"));
    SealTest::writeFile(privateFile, SealTest::ownKey().privatePem());
    ASSERT_TRUE(addTrustedKey(folder, privateFile, QStringLiteral("总部"), &error));
    const QString kept = QDir(folder).filePath(QString::fromLatin1(SealTest::ownKey().keyId().toHex()) + ".pem");
    EXPECT_FALSE(SealTest::readFile(kept).contains("PRIVATE"));

    SealTest::writeFile(QDir(folder).filePath(QStringLiteral("junk.pem")), "nothing");
    QList<TrustedKey> keys = readTrustFolder(folder);
    ASSERT_EQ(keys.size(), 2);
    QStringList labels;
    for (const TrustedKey& key : keys) {
        labels << key.label;
        EXPECT_FALSE(key.key.hasPrivateKey());
    }
    labels.sort();
    EXPECT_EQ(labels, (QStringList{QStringLiteral("北京远航科技有限公司"), QStringLiteral("总部")}));

    EXPECT_TRUE(removeTrustedKey(folder, keyIdText(SealTest::otherKey().keyId())));
    EXPECT_FALSE(removeTrustedKey(folder, keyIdText(SealTest::otherKey().keyId())));
    EXPECT_FALSE(removeTrustedKey(folder, QStringLiteral("../junk")));
    EXPECT_EQ(readTrustFolder(folder).size(), 1);
}

TEST_F(SealFiles, AFileWithoutAKeyIsRefused)
{
    const QString notAKey = dir.filePath(QStringLiteral("readme.txt"));
    SealTest::writeFile(notAKey, "hello");
    QString error;
    EXPECT_FALSE(addTrustedKey(trustFolderBeside(registerPath()), notAKey, QString(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("没有可用的公钥"))) << error.toStdString();
    EXPECT_FALSE(addTrustedKey(trustFolderBeside(registerPath()), dir.filePath("missing.pem"),
                               QString(), &error));
}
