#include "backup/KavriBackup.h"

#include "register/RegisterFiles.h"
#include "seal/SealFiles.h"
#include "store/DatabaseBackup.h"
#include "store/LibraryBackup.h"
#include "store/LibraryFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

namespace KavriBackup {

namespace {

const QString kLibraryMember = LibraryFile::kFileName;
const QString kRegisterMember = Register::kRegisterFileName;
const QString kKeyMember = QStringLiteral("kavri_register.key");
const QString kSealKeyMember = Seal::kSealKeyFileName;

constexpr QFileDevice::Permissions kUserOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

DatabaseBackup::Expectation registerExpectation(const QByteArray& key)
{
    return {QString::fromLatin1(key),
            {QStringLiteral("entries"), QStringLiteral("templates"), QStringLiteral("entry_values"),
             QStringLiteral("versions"), QStringLiteral("events"), QStringLiteral("sequences")}};
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A zip archive of the named files, under a temporary name beside target, renamed onto it.
bool writeArchive(const QString& target, const QList<std::pair<QString, QString>>& members,
                  QString* error)
{
    const QString part =
        QStringLiteral("%1.%2.part").arg(target).arg(QCoreApplication::applicationPid());
    QFile::remove(part);
    {
        // Made empty and private first: the key goes in.
        QFile create(part);
        if (!create.open(QIODevice::WriteOnly) || !create.setPermissions(kUserOnly)) {
            *error =
                QStringLiteral("无法写入文件 %1（%2）。").arg(native(target), create.errorString());
            QFile::remove(part);
            return false;
        }
    }
    QuaZip zip(part);
    bool ok = zip.open(QuaZip::mdCreate);
    for (const auto& [name, source] : members) {
        if (!ok) {
            break;
        }
        QFile in(source);
        QuaZipFile out(&zip);
        ok = in.open(QIODevice::ReadOnly) &&
             out.open(QIODevice::WriteOnly, QuaZipNewInfo(name, source));
        while (ok && !in.atEnd()) {
            const QByteArray chunk = in.read(1 << 20);
            ok = out.write(chunk) == chunk.size();
        }
        if (out.isOpen()) {
            out.close();
            ok = ok && out.getZipError() == UNZ_OK;
        }
    }
    if (zip.isOpen()) {
        zip.close();
        ok = ok && zip.getZipError() == ZIP_OK;
    }
    if (ok && std::rename(QFile::encodeName(part).constData(),
                          QFile::encodeName(target).constData()) != 0) {
        *error = QStringLiteral("无法写入文件 %1（%2）。").arg(native(target), systemError());
        QFile::remove(part);
        return false;
    }
    if (!ok) {
        *error = QStringLiteral("无法写入文件 %1。").arg(native(target));
        QFile::remove(part);
    }
    return ok;
}

bool isArchive(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(4) == QByteArrayLiteral("PK\x03\x04");
}

// Unpacks the members kavri knows into folder; nullopt with *error when the archive is not one
// of kavri's backups.
std::optional<QStringList> unpackArchive(const QString& path, const QString& folder, QString* error)
{
    const QString notOurs = QStringLiteral("文件 %1 不是本程序的备份。").arg(native(path));
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip)) {
        *error = notOurs;
        return std::nullopt;
    }
    QStringList found;
    for (const QString& name : {kLibraryMember, kRegisterMember, kKeyMember, kSealKeyMember}) {
        if (!zip.setCurrentFile(name)) {
            continue;
        }
        QuaZipFile in(&zip);
        QFile out(QDir(folder).filePath(name));
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) ||
            !out.setPermissions(kUserOnly)) {
            *error = notOurs;
            return std::nullopt;
        }
        while (!in.atEnd()) {
            const QByteArray chunk = in.read(1 << 20);
            if (chunk.isEmpty() || out.write(chunk) != chunk.size()) {
                *error = notOurs;
                return std::nullopt;
            }
        }
        in.close();
        if (in.getZipError() != UNZ_OK) {
            *error = QStringLiteral("备份文件 %1 已损坏。").arg(native(path));
            return std::nullopt;
        }
        found << name;
    }
    if (!found.contains(kLibraryMember)) {
        *error = notOurs;
        return std::nullopt;
    }
    if (found.contains(kRegisterMember) != found.contains(kKeyMember)) {
        *error = QStringLiteral("备份文件 %1 中的登记簿缺少其密钥（或密钥缺少登记簿）。")
                     .arg(native(path));
        return std::nullopt;
    }
    return found;
}

// Puts the register's key in place (private, whole or not at all). A different key it replaces
// is kept first, under the dated name the replaced register got (<key>.<date>.bak beside
// <register>.<date>.bak), since that copy of the register opens with it alone.
bool installKey(const QString& registerPath, const QByteArray& keyFileBytes,
                const QString& keptRegister, QString* keptKey, QString* error)
{
    const QString keyPath = Register::keyPathFor(registerPath);
    QFile current(keyPath);
    if (current.open(QIODevice::ReadOnly)) {
        const QByteArray old = current.readAll();
        current.close();
        if (old == keyFileBytes) {
            return true;
        }
        const QString kept =
            keptRegister.startsWith(registerPath)
                ? keyPath + keptRegister.mid(registerPath.size())
                : DatabaseBackup::keptCopyName(keyPath, QDateTime::currentDateTime());
        if (!QFile::copy(keyPath, kept)) {
            *error = QStringLiteral("无法保存原来的登记簿密钥 %1。").arg(native(kept));
            return false;
        }
        QFile::setPermissions(kept, kUserOnly);
        *keptKey = kept;
    }
    QSaveFile out(keyPath);
    if (!out.open(QIODevice::WriteOnly) || !out.setPermissions(kUserOnly) ||
        out.write(keyFileBytes) != keyFileBytes.size() || !out.commit()) {
        *error =
            QStringLiteral("无法写入登记簿密钥 %1（%2）。").arg(native(keyPath), out.errorString());
        return false;
    }
    return true;
}

// Puts the signing key in place (private, whole or not at all); a different key it replaces is
// kept beside it under a dated name, since certificates signed with it still name it.
bool installSealKey(const QString& sealKeyPath, const QByteArray& keyFileBytes, QString* keptKey,
                    QString* error)
{
    QFile current(sealKeyPath);
    if (current.open(QIODevice::ReadOnly)) {
        const QByteArray old = current.readAll();
        current.close();
        if (old == keyFileBytes) {
            return true;
        }
        const QString kept = DatabaseBackup::keptCopyName(sealKeyPath, QDateTime::currentDateTime());
        if (!QFile::copy(sealKeyPath, kept)) {
            *error = QStringLiteral("无法保存原来的签名密钥 %1。").arg(native(kept));
            return false;
        }
        QFile::setPermissions(kept, kUserOnly);
        *keptKey = kept;
    }
    QSaveFile out(sealKeyPath);
    if (!out.open(QIODevice::WriteOnly) || !out.setPermissions(kUserOnly) ||
        out.write(keyFileBytes) != keyFileBytes.size() || !out.commit()) {
        *error =
            QStringLiteral("无法写入签名密钥 %1（%2）。").arg(native(sealKeyPath), out.errorString());
        return false;
    }
    return true;
}

} // namespace

bool backup(const QString& libraryPath, const QString& target, QString* message)
{
    const auto failed = [message](const QString& error) {
        *message = QStringLiteral("资料库未能备份：%1").arg(error);
        return false;
    };
    if (!QFileInfo(target).absoluteDir().exists()) {
        return failed(QStringLiteral("无法写入文件 %1（文件夹不存在）。").arg(native(target)));
    }
    QTemporaryDir work;
    if (!work.isValid()) {
        return failed(QStringLiteral("无法建立临时文件夹（%1）。").arg(work.errorString()));
    }
    QString error;
    const QString libraryCopy = work.filePath(kLibraryMember);
    if (!DatabaseBackup::backup(libraryPath, LibraryBackup::expectation(), libraryCopy, &error)) {
        return failed(error);
    }
    QList<std::pair<QString, QString>> members = {{kLibraryMember, libraryCopy}};

    // The register beside the library, with its key, when there is one.
    const QString registerPath = Register::registerPathBeside(libraryPath);
    QString registerProblem;
    if (QFileInfo::exists(registerPath)) {
        const QString keyPath = Register::keyPathFor(registerPath);
        const std::optional<QByteArray> key = Register::loadOrCreateKey(keyPath, false, &error);
        const QString registerCopy = work.filePath(kRegisterMember);
        const QString keyCopy = work.filePath(kKeyMember);
        if (!key) {
            registerProblem = error;
        } else if (!DatabaseBackup::backup(registerPath, registerExpectation(*key), registerCopy,
                                           &error)) {
            registerProblem = error;
        } else if (!QFile::copy(keyPath, keyCopy)) {
            registerProblem = QStringLiteral("无法读取登记簿密钥 %1。").arg(native(keyPath));
        } else {
            members << std::pair{kRegisterMember, registerCopy} << std::pair{kKeyMember, keyCopy};
        }
    }
    // The certificate signing key beside the register, when this installation has made one.
    const QString sealKeyPath = Seal::sealKeyPathBeside(registerPath);
    bool withSealKey = false;
    QString sealProblem;
    if (QFileInfo::exists(sealKeyPath)) {
        const QString sealKeyCopy = work.filePath(kSealKeyMember);
        if (!Seal::loadOrCreateSealKey(sealKeyPath, false, &error) ||
            !QFile::copy(sealKeyPath, sealKeyCopy)) {
            sealProblem = QStringLiteral("证明签名密钥 %1 无法读取，未能备份。").arg(native(sealKeyPath));
        } else {
            members << std::pair{kSealKeyMember, sealKeyCopy};
            withSealKey = true;
        }
    }
    if (!writeArchive(target, members, &error)) {
        return failed(error);
    }
    *message = QStringLiteral("资料库已备份到 %1。").arg(native(target));
    if (members.size() > (withSealKey ? 2 : 1)) {
        *message += QStringLiteral("出具登记簿及其密钥已一并备份，请妥善保管备份文件。");
    }
    if (withSealKey) {
        *message += QStringLiteral("证明签名密钥已一并备份。");
    }
    if (!registerProblem.isEmpty()) {
        *message += QStringLiteral("出具登记簿未能备份：%1").arg(registerProblem);
    }
    *message += sealProblem;
    return registerProblem.isEmpty() && sealProblem.isEmpty();
}

bool restore(const QString& backupFile, const QString& libraryPath, QString* message)
{
    if (!isArchive(backupFile)) {
        // A backup of the library file alone.
        return LibraryBackup::restoreLibrary(backupFile, libraryPath, message);
    }
    const auto failed = [message](const QString& error) {
        *message = QStringLiteral("资料库未恢复，原来的资料库未作更改：%1").arg(error);
        return false;
    };
    QTemporaryDir work;
    if (!work.isValid()) {
        return failed(QStringLiteral("无法建立临时文件夹（%1）。").arg(work.errorString()));
    }
    QString error;
    const std::optional<QStringList> members = unpackArchive(backupFile, work.path(), &error);
    if (!members) {
        return failed(error);
    }
    const QString libraryCopy = work.filePath(kLibraryMember);
    const QString registerCopy = work.filePath(kRegisterMember);
    const QString keyCopy = work.filePath(kKeyMember);
    const bool withRegister = members->contains(kRegisterMember);
    const bool withSealKey = members->contains(kSealKeyMember);

    // Everything is checked before anything is replaced.
    if (!DatabaseBackup::check(libraryCopy, LibraryBackup::expectation(), &error)) {
        return failed(error);
    }
    std::optional<QByteArray> key;
    QByteArray keyFileBytes;
    if (withRegister) {
        key = Register::loadOrCreateKey(keyCopy, false, &error);
        QFile keyFile(keyCopy);
        if (!key || !keyFile.open(QIODevice::ReadOnly)) {
            return failed(QStringLiteral("备份中的登记簿密钥无法读取。"));
        }
        keyFileBytes = keyFile.readAll();
        if (!DatabaseBackup::check(registerCopy, registerExpectation(*key), &error)) {
            return failed(error);
        }
    }

    QByteArray sealKeyBytes;
    if (withSealKey) {
        QFile sealKeyFile(work.filePath(kSealKeyMember));
        if (!Seal::loadOrCreateSealKey(sealKeyFile.fileName(), false, &error) ||
            !sealKeyFile.open(QIODevice::ReadOnly)) {
            return failed(QStringLiteral("备份中的证明签名密钥无法读取。"));
        }
        sealKeyBytes = sealKeyFile.readAll();
    }
    const auto restoreSealKey = [&]() {
        if (!withSealKey) {
            return true;
        }
        QString keptSealKey;
        const QString sealKeyPath =
            Seal::sealKeyPathBeside(Register::registerPathBeside(libraryPath));
        if (!installSealKey(sealKeyPath, sealKeyBytes, &keptSealKey, &error)) {
            *message += QStringLiteral("但证明签名密钥未能恢复：%1").arg(error);
            return false;
        }
        *message += QStringLiteral("证明签名密钥已一并恢复");
        if (!keptSealKey.isEmpty()) {
            *message += QStringLiteral("，原来的签名密钥保存为 %1").arg(native(keptSealKey));
        }
        *message += QStringLiteral("。");
        return true;
    };

    QString keptLibrary;
    if (!DatabaseBackup::restore(libraryCopy, libraryPath, LibraryBackup::expectation(),
                                 &keptLibrary, &error)) {
        return failed(error);
    }
    *message = QStringLiteral("资料库已从 %1 恢复。").arg(native(backupFile));
    if (!keptLibrary.isEmpty()) {
        *message += QStringLiteral("原来的资料库保存为 %1。").arg(native(keptLibrary));
    }
    if (!withRegister) {
        *message += QStringLiteral("备份中没有出具登记簿，登记簿未作更改。");
        return restoreSealKey();
    }

    // The register: a live one under another key does not open with the backup's key, so
    // restore sets it aside whole (with its log) and the key it needs is kept beside it.
    const QString registerPath = Register::registerPathBeside(libraryPath);
    QString keptRegister;
    if (!DatabaseBackup::restore(registerCopy, registerPath, registerExpectation(*key),
                                 &keptRegister, &error)) {
        *message += QStringLiteral("但出具登记簿未恢复，原来的登记簿未作更改：%1").arg(error);
        return false;
    }
    QString keptKey;
    if (!installKey(registerPath, keyFileBytes, keptRegister, &keptKey, &error)) {
        *message += QStringLiteral("但出具登记簿的密钥未能写入：%1").arg(error);
        return false;
    }
    *message += QStringLiteral("出具登记簿已一并恢复");
    if (!keptRegister.isEmpty()) {
        *message += QStringLiteral("，原来的登记簿保存为 %1").arg(native(keptRegister));
        if (!keptKey.isEmpty()) {
            *message += QStringLiteral("（其密钥保存为 %1）").arg(native(keptKey));
        }
    }
    *message += QStringLiteral("；已用过的证明编号不会再次使用。");
    return restoreSealKey();
}

} // namespace KavriBackup
