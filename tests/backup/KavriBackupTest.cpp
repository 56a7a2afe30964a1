// The one backup file of the library and the register: what it holds, who may read it, and what
// a restore brings back and what it never brings back (certificate numbers given since).
#include "backup/KavriBackup.h"
#include "TempLibrary.h"
#include "register/CertificateRegister.h"
#include "register/RegisterFiles.h"
#include "seal/SealFiles.h"
#include "store/CDbVisit.h"
#include "store/DatabaseBackup.h"
#include "store/LibraryBackup.h"
#include "store/RecordSet.h"
#include "store/SqlConnection.h"

#include <QDir>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

using namespace Register;

namespace {

class KavriBackupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_library.isValid());
        ASSERT_TRUE(m_elsewhere.isValid());
    }

    QString libraryPath() const { return m_library.path(); }
    QString registerPath() const { return registerPathBeside(m_library.path()); }
    QString backupPath() const { return m_elsewhere.filePath(QStringLiteral("备份.zip")); }

    std::unique_ptr<CertificateRegister> openRegister(const QString& path)
    {
        QString error;
        auto reg = CertificateRegister::open(path, &error);
        EXPECT_TRUE(reg) << error.toStdString();
        if (reg) {
            reg->setClock([] { return QDateTime(QDate(2025, 6, 2), QTime(9, 0)); });
        }
        return reg;
    }

    // Issues one certificate for `name` and returns its number.
    static QString issue(CertificateRegister& reg, const QString& name)
    {
        NewEntry e;
        e.templateName = QStringLiteral("标准模板");
        e.templateText = QStringLiteral("兹证明【姓名】离职。编号：【证明编号】");
        e.values = {{QStringLiteral("姓名"), name}};
        QString error;
        const auto made = reg.addEntry(
            e,
            [&](const QString& n) { return QStringLiteral("兹证明%1离职。编号：%2").arg(name, n); },
            &error);
        EXPECT_TRUE(made) << error.toStdString();
        return made ? made->number : QString();
    }

    static QStringList namesIn(CertificateRegister& reg)
    {
        QString error;
        SearchQuery all;
        all.limit = 0;
        QStringList names;
        for (const EntrySummary& s : reg.search(all, &error).value_or(QList<EntrySummary>())) {
            names.prepend(s.name);
        }
        return names;
    }

    int companiesNamed(const QString& name) const
    {
        QString error;
        const auto connection = SqlConnection::open(libraryPath(), CDbVisit::kPassword, &error);
        auto records =
            connection
                ? connection->execute("select count(*) as n from company_item_table where item3='" +
                                          name + "'",
                                      &error)
                : nullptr;
        return records ? records->collectInt("n") : -1;
    }

    void addCompany(const QString& name) const
    {
        QString error;
        const auto connection = SqlConnection::open(libraryPath(), CDbVisit::kPassword, &error);
        ASSERT_TRUE(connection &&
                    connection->execute(
                        "insert into company_item_table (item3) values ('" + name + "')", &error))
            << error.toStdString();
    }

    static QStringList membersOf(const QString& archive)
    {
        QuaZip zip(archive);
        if (!zip.open(QuaZip::mdUnzip)) {
            return {QStringLiteral("<not a zip>")};
        }
        QStringList names = zip.getFileNameList();
        names.sort();
        return names;
    }

    // Makes an archive of the given members (name -> bytes), as a foreign or damaged backup.
    static void writeZip(const QString& path, const QList<std::pair<QString, QByteArray>>& members)
    {
        QuaZip zip(path);
        ASSERT_TRUE(zip.open(QuaZip::mdCreate));
        for (const auto& [name, bytes] : members) {
            QuaZipFile out(&zip);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly, QuaZipNewInfo(name)));
            out.write(bytes);
            out.close();
        }
        zip.close();
    }

    static QByteArray contentsOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QStringList keptCopies() const
    {
        return QDir(m_library.dirPath())
            .entryList({QStringLiteral("*.bak")}, QDir::Files, QDir::Name);
    }

    TempLibrary m_library;
    QTemporaryDir m_elsewhere;
};

TEST_F(KavriBackupTest, OneFileHoldsTheLibraryTheRegisterAndItsKeyForItsOwnerOnly)
{
    {
        auto reg = openRegister(registerPath());
        ASSERT_TRUE(reg);
        issue(*reg, QStringLiteral("张三"));
        // The register stays open while the backup is made, as in a running kavri.
        QString message;
        ASSERT_TRUE(KavriBackup::backup(libraryPath(), backupPath(), &message))
            << message.toStdString();
        EXPECT_EQ(message, QStringLiteral("资料库已备份到 %1。出具登记簿及其密钥已一并备份，"
                                          "请妥善保管备份文件。")
                               .arg(backupPath()));
    }
    EXPECT_EQ(membersOf(backupPath()),
              (QStringList{"bdsj_conn.dll", "kavri_register.db", "kavri_register.key"}));
    EXPECT_EQ(QFile::permissions(backupPath()) & 0x0077, QFileDevice::Permissions());
    EXPECT_TRUE(QFile::permissions(backupPath()).testFlag(QFileDevice::ReadOwner));
    // Nothing else is left beside it.
    EXPECT_EQ(QDir(m_elsewhere.path()).entryList(QDir::Files), QStringList{"备份.zip"});
}

TEST_F(KavriBackupTest, RestoringAnOlderRegisterNeverGivesItsLaterNumbersAgain)
{
    {
        auto reg = openRegister(registerPath());
        ASSERT_TRUE(reg);
        EXPECT_EQ(issue(*reg, QStringLiteral("张三")), QStringLiteral("LZ2025-000001"));
    }
    QString message;
    ASSERT_TRUE(KavriBackup::backup(libraryPath(), backupPath(), &message))
        << message.toStdString();
    const QByteArray keyBefore = contentsOf(keyPathFor(registerPath()));
    {
        auto reg = openRegister(registerPath());
        EXPECT_EQ(issue(*reg, QStringLiteral("李四")), QStringLiteral("LZ2025-000002"));
        EXPECT_EQ(issue(*reg, QStringLiteral("王五")), QStringLiteral("LZ2025-000003"));
    }
    addCompany(QStringLiteral("备份之后"));
    const QByteArray marks = contentsOf(sequencePathFor(registerPath()));

    ASSERT_TRUE(KavriBackup::restore(backupPath(), libraryPath(), &message))
        << message.toStdString();
    EXPECT_TRUE(message.startsWith(QStringLiteral("资料库已从 %1 恢复。").arg(backupPath())))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("原来的登记簿保存为 %1.").arg(registerPath())))
        << message.toStdString();
    EXPECT_TRUE(message.endsWith(QStringLiteral("已用过的证明编号不会再次使用。")));

    EXPECT_EQ(companiesNamed(QStringLiteral("备份之后")), 0);
    EXPECT_EQ(contentsOf(sequencePathFor(registerPath())), marks);
    EXPECT_EQ(contentsOf(keyPathFor(registerPath())), keyBefore);
    {
        auto reg = openRegister(registerPath());
        ASSERT_TRUE(reg);
        EXPECT_EQ(namesIn(*reg), QStringList{"张三"});
        EXPECT_EQ(issue(*reg, QStringLiteral("赵六")), QStringLiteral("LZ2025-000004"));
    }
    // The replaced library and register are kept, and the register copy still opens.
    const QStringList kept = keptCopies();
    ASSERT_EQ(kept.size(), 2) << kept.join(' ').toStdString();
    EXPECT_TRUE(kept[0].startsWith(QStringLiteral("bdsj_conn.dll.")));
    EXPECT_TRUE(kept[1].startsWith(QStringLiteral("kavri_register.db.")));
    const QString keptRegister = QDir(m_library.dirPath()).filePath(kept[1]);
    const QString copy = m_elsewhere.filePath(QStringLiteral("kavri_register.db"));
    ASSERT_TRUE(QFile::copy(keptRegister, copy));
    ASSERT_TRUE(QFile::copy(keyPathFor(registerPath()), keyPathFor(copy)));
    auto old = openRegister(copy);
    ASSERT_TRUE(old);
    EXPECT_EQ(namesIn(*old), (QStringList{"张三", "李四", "王五"}));
}

TEST_F(KavriBackupTest, ARegisterUnderAnotherKeyIsReplacedAndKeptWithItsOwnKey)
{
    {
        auto reg = openRegister(registerPath());
        issue(*reg, QStringLiteral("张三"));
    }
    QString message;
    ASSERT_TRUE(KavriBackup::backup(libraryPath(), backupPath(), &message))
        << message.toStdString();
    const QByteArray backupKey = contentsOf(keyPathFor(registerPath()));
    // The register and its key are lost; a new one starts under a new key.
    ASSERT_TRUE(QFile::remove(registerPath()));
    ASSERT_TRUE(QFile::remove(keyPathFor(registerPath())));
    {
        auto reg = openRegister(registerPath());
        ASSERT_TRUE(reg);
        EXPECT_EQ(issue(*reg, QStringLiteral("新人")), QStringLiteral("LZ2025-000002"));
    }
    const QByteArray newKey = contentsOf(keyPathFor(registerPath()));
    ASSERT_NE(newKey, backupKey);

    ASSERT_TRUE(KavriBackup::restore(backupPath(), libraryPath(), &message))
        << message.toStdString();
    EXPECT_TRUE(
        message.contains(QStringLiteral("（其密钥保存为 %1.").arg(keyPathFor(registerPath()))))
        << message.toStdString();
    EXPECT_EQ(contentsOf(keyPathFor(registerPath())), backupKey);
    EXPECT_EQ(QFile::permissions(keyPathFor(registerPath())) & 0x0077, QFileDevice::Permissions());
    {
        auto reg = openRegister(registerPath());
        ASSERT_TRUE(reg);
        EXPECT_EQ(namesIn(*reg), QStringList{"张三"});
        EXPECT_EQ(issue(*reg, QStringLiteral("赵六")), QStringLiteral("LZ2025-000003"));
    }
    // The kept register opens with the kept key.
    QStringList keptKeys =
        QDir(m_library.dirPath()).entryList({QStringLiteral("kavri_register.key.*.bak")});
    QStringList keptRegisters =
        QDir(m_library.dirPath()).entryList({QStringLiteral("kavri_register.db.*.bak")});
    ASSERT_EQ(keptKeys.size(), 1);
    ASSERT_EQ(keptRegisters.size(), 1);
    EXPECT_EQ(keptKeys[0].mid(QStringLiteral("kavri_register.key").size()),
              keptRegisters[0].mid(QStringLiteral("kavri_register.db").size()));
    EXPECT_EQ(contentsOf(QDir(m_library.dirPath()).filePath(keptKeys[0])), newKey);
}

TEST_F(KavriBackupTest, ABackupThatIsNotWholeChangesNothing)
{
    {
        auto reg = openRegister(registerPath());
        issue(*reg, QStringLiteral("张三"));
    }
    const QByteArray library = contentsOf(libraryPath());
    const QByteArray reg = contentsOf(registerPath());
    const QString broken = m_elsewhere.filePath(QStringLiteral("broken.zip"));
    QString message;

    // A register without its key.
    writeZip(broken, {{"bdsj_conn.dll", library}, {"kavri_register.db", reg}});
    EXPECT_FALSE(KavriBackup::restore(broken, libraryPath(), &message));
    EXPECT_TRUE(message.startsWith(QStringLiteral("资料库未恢复，原来的资料库未作更改：")));
    EXPECT_TRUE(message.contains(QStringLiteral("缺少其密钥"))) << message.toStdString();

    // A register that does not open with the key beside it in the archive.
    writeZip(broken, {{"bdsj_conn.dll", library},
                      {"kavri_register.db", QByteArray(8192, 'x')},
                      {"kavri_register.key", contentsOf(keyPathFor(registerPath()))}});
    EXPECT_FALSE(KavriBackup::restore(broken, libraryPath(), &message));
    EXPECT_TRUE(message.startsWith(QStringLiteral("资料库未恢复，原来的资料库未作更改：")))
        << message.toStdString();

    // Some other archive.
    writeZip(broken, {{"readme.txt", "hello"}});
    EXPECT_FALSE(KavriBackup::restore(broken, libraryPath(), &message));
    EXPECT_EQ(message,
              QStringLiteral("资料库未恢复，原来的资料库未作更改：文件 %1 不是本程序的备份。")
                  .arg(broken));

    EXPECT_TRUE(keptCopies().isEmpty()) << keptCopies().join(' ').toStdString();
    EXPECT_EQ(contentsOf(registerPath()), reg);
}

TEST_F(KavriBackupTest, ALibraryOnlyBackupLeavesTheRegisterAlone)
{
    // Made before there was a register: the library file itself.
    const QString plain = m_elsewhere.filePath(QStringLiteral("老备份.dll"));
    QString message;
    ASSERT_TRUE(LibraryBackup::backupLibrary(libraryPath(), plain, &message));
    {
        auto reg = openRegister(registerPath());
        issue(*reg, QStringLiteral("张三"));
    }
    addCompany(QStringLiteral("备份之后"));
    ASSERT_TRUE(KavriBackup::restore(plain, libraryPath(), &message)) << message.toStdString();
    EXPECT_EQ(companiesNamed(QStringLiteral("备份之后")), 0);
    auto reg = openRegister(registerPath());
    EXPECT_EQ(namesIn(*reg), QStringList{"张三"});

    // And a new backup without a register holds the library alone.
    reg.reset();
    ASSERT_TRUE(QFile::remove(registerPath()));
    ASSERT_TRUE(KavriBackup::backup(libraryPath(), backupPath(), &message));
    EXPECT_EQ(message, QStringLiteral("资料库已备份到 %1。").arg(backupPath()));
    EXPECT_EQ(membersOf(backupPath()), QStringList{"bdsj_conn.dll"});
    ASSERT_TRUE(KavriBackup::restore(backupPath(), libraryPath(), &message));
    EXPECT_TRUE(message.endsWith(QStringLiteral("备份中没有出具登记簿，登记簿未作更改。")))
        << message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(registerPath()));
}

TEST_F(KavriBackupTest, ARegisterWithoutItsKeyIsLeftOutAndSaidSo)
{
    {
        auto reg = openRegister(registerPath());
        issue(*reg, QStringLiteral("张三"));
    }
    ASSERT_TRUE(QFile::remove(keyPathFor(registerPath())));
    QString message;
    EXPECT_FALSE(KavriBackup::backup(libraryPath(), backupPath(), &message));
    EXPECT_TRUE(message.startsWith(
        QStringLiteral("资料库已备份到 %1。出具登记簿未能备份：").arg(backupPath())))
        << message.toStdString();
    EXPECT_EQ(membersOf(backupPath()), QStringList{"bdsj_conn.dll"});
}

} // namespace

namespace {

// Points the process's temporary folder at a folder of the test's own while it runs.
class OwnTemporaryFolder
{
public:
    OwnTemporaryFolder() : m_before(qgetenv("TMPDIR"))
    {
        qputenv("TMPDIR", QFile::encodeName(m_dir.path()));
    }
    ~OwnTemporaryFolder()
    {
        if (m_before.isEmpty()) {
            qunsetenv("TMPDIR");
        } else {
            qputenv("TMPDIR", m_before);
        }
    }
    bool isValid() const { return m_dir.isValid() && QDir::tempPath() == m_dir.path(); }
    QString path() const { return m_dir.path(); }
    QStringList entries() const
    {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                            QDir::Name);
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_before;
};

} // namespace

TEST_F(KavriBackupTest, WhatABackupKilledHalfWayLeftIsRemovedByTheNext)
{
    OwnTemporaryFolder temp;
    ASSERT_TRUE(temp.isValid());
    {
        auto reg = openRegister(registerPath());
        issue(*reg, QStringLiteral("张三"));
    }
    // A process that has ended left its folder (with the register and key) and its part file.
    QProcess process;
    process.start(QStringLiteral("true"), {});
    ASSERT_TRUE(process.waitForStarted());
    const qint64 ended = process.processId();
    ASSERT_TRUE(process.waitForFinished());
    const QString deadFolder = QStringLiteral("kavri-backup-%1-Ab12Cd").arg(ended);
    ASSERT_TRUE(QDir(temp.path()).mkpath(deadFolder));
    QFile copy(QDir(temp.path()).filePath(deadFolder + QStringLiteral("/kavri_register.key")));
    ASSERT_TRUE(copy.open(QIODevice::WriteOnly));
    copy.close();
    const QString deadPart = backupPath() + QStringLiteral(".%1.part").arg(ended);
    QFile part(deadPart);
    ASSERT_TRUE(part.open(QIODevice::WriteOnly));
    part.close();
    // One of a backup still at work (this process) stays.
    const QString liveFolder =
        QStringLiteral("kavri-backup-%1-Xy34Zw").arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(QDir(temp.path()).mkpath(liveFolder));

    QString message;
    ASSERT_TRUE(KavriBackup::backup(libraryPath(), backupPath(), &message)) << message.toStdString();
    EXPECT_EQ(temp.entries(), QStringList{liveFolder});
    EXPECT_FALSE(QFile::exists(deadPart));
    EXPECT_EQ(QDir(m_elsewhere.path()).entryList(QDir::Files), QStringList{"备份.zip"});

    // The program's start clears up the same way.
    ASSERT_TRUE(QDir(temp.path()).mkpath(deadFolder));
    KavriBackup::removeLeftovers(QString());
    EXPECT_EQ(temp.entries(), QStringList{liveFolder});
}

TEST_F(KavriBackupTest, AnArchiveThatWouldUnpackToFarMoreIsRefusedBeforeAnythingIsWritten)
{
    OwnTemporaryFolder temp;
    ASSERT_TRUE(temp.isValid());
    const QByteArray library = contentsOf(libraryPath());
    const QString bomb = m_elsewhere.filePath(QStringLiteral("bomb.zip"));
    QString message;

    // 200 MiB of zeros pack into a few hundred kilobytes.
    writeZip(bomb, {{"bdsj_conn.dll", QByteArray(200 << 20, '\0')}});
    ASSERT_LT(QFileInfo(bomb).size(), 1 << 20);
    EXPECT_FALSE(KavriBackup::restore(bomb, libraryPath(), &message));
    EXPECT_TRUE(message.startsWith(
        QStringLiteral("资料库未恢复，原来的资料库未作更改：备份文件 %1 中的 bdsj_conn.dll ").arg(bomb)))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("解压后有 209715200 字节")))
        << message.toStdString();

    // A key file of a megabyte is no key.
    writeZip(bomb, {{"bdsj_conn.dll", library},
                    {"kavri_register.db", QByteArray(8192, 'x')},
                    {"kavri_register.key", QByteArray(1 << 20, 'a')}});
    EXPECT_FALSE(KavriBackup::restore(bomb, libraryPath(), &message));
    EXPECT_TRUE(message.contains(QStringLiteral("kavri_register.key 解压后有 1048576 字节")))
        << message.toStdString();

    EXPECT_EQ(temp.entries(), QStringList());
    EXPECT_EQ(contentsOf(libraryPath()), library);
    EXPECT_TRUE(keptCopies().isEmpty());
}

// The certificate signing key goes into the backup with the register and comes back with it;
// a different key it replaces is kept, since certificates it signed still name it.
TEST_F(KavriBackupTest, TheSigningKeyIsBackedUpAndRestoredAndAReplacedOneKept)
{
    const QString sealKeyPath = Seal::sealKeyPathBeside(registerPath());
    QString error;
    const std::optional<Seal::SealKey> original =
        Seal::loadOrCreateSealKey(sealKeyPath, true, &error);
    ASSERT_TRUE(original) << error.toStdString();
    {
        auto reg = openRegister(registerPath());
        issue(*reg, QStringLiteral("张三"));
    }
    QString message;
    ASSERT_TRUE(KavriBackup::backup(libraryPath(), backupPath(), &message)) << message.toStdString();
    EXPECT_TRUE(message.endsWith(QStringLiteral("证明签名密钥已一并备份。"))) << message.toStdString();
    EXPECT_EQ(membersOf(backupPath()), (QStringList{"bdsj_conn.dll", "kavri_register.db",
                                                    "kavri_register.key", "kavri_seal.key"}));
    const QByteArray originalBytes = contentsOf(sealKeyPath);

    // A new key made since (say, on a reinstalled desk), then the restore.
    ASSERT_TRUE(QFile::remove(sealKeyPath));
    const std::optional<Seal::SealKey> newer = Seal::loadOrCreateSealKey(sealKeyPath, true, &error);
    ASSERT_TRUE(newer);
    ASSERT_NE(newer->keyId(), original->keyId());
    ASSERT_TRUE(KavriBackup::restore(backupPath(), libraryPath(), &message)) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("证明签名密钥已一并恢复，原来的签名密钥保存为")))
        << message.toStdString();
    EXPECT_EQ(contentsOf(sealKeyPath), originalBytes);
    EXPECT_EQ(QFile::permissions(sealKeyPath) & 0x0077, QFileDevice::Permissions());
    const QStringList kept = QDir(m_library.dirPath())
                                 .entryList({QStringLiteral("kavri_seal.key.*")}, QDir::Files);
    ASSERT_EQ(kept.size(), 1) << kept.join(u' ').toStdString();
    const std::optional<Seal::SealKey> keptKey = Seal::loadOrCreateSealKey(
        QDir(m_library.dirPath()).filePath(kept.first()), false, &error);
    ASSERT_TRUE(keptKey);
    EXPECT_EQ(keptKey->keyId(), newer->keyId());
}

TEST_F(KavriBackupTest, ADamagedSigningKeyInABackupChangesNothing)
{
    const QByteArray library = contentsOf(libraryPath());
    writeZip(backupPath(), {{QStringLiteral("bdsj_conn.dll"), library},
                            {QStringLiteral("kavri_seal.key"), QByteArray("not a key")}});
    addCompany(QStringLiteral("备份之后"));
    QString message;
    EXPECT_FALSE(KavriBackup::restore(backupPath(), libraryPath(), &message));
    EXPECT_EQ(message, QStringLiteral("资料库未恢复，原来的资料库未作更改：备份中的证明签名密钥无法读取。"));
    EXPECT_EQ(companiesNamed(QStringLiteral("备份之后")), 1);
    EXPECT_FALSE(QFileInfo::exists(Seal::sealKeyPathBeside(registerPath())));
}
