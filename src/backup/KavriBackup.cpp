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
#include <QHash>
#include <QSaveFile>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <csignal>
#include <sys/types.h>
#include <optional>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

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
             QStringLiteral("versions"), QStringLiteral("events"), QStringLiteral("sequences")},
            {Register::kCipherPageSize, Register::kFormerCipherPageSize}};
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

// The temporary folders of a backup or a restore hold a copy of the register with its key; the
// process id in their names tells, after a crash or a kill, whether the one that made them is
// still at work.
const QString kWorkPrefix = QStringLiteral("kavri-backup-");

bool isRunning(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

// The process id in "<prefix><pid>-..." or "<name>.<pid>.part"; 0 when there is none.
qint64 pidIn(QStringView text)
{
    bool ok = false;
    const qint64 pid = text.toLongLong(&ok);
    return ok ? pid : 0;
}

QString makeWorkFolderTemplate()
{
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("%1%2-XXXXXX").arg(kWorkPrefix).arg(QCoreApplication::applicationPid()));
}

// A file of the temporary folder, made readable by the user only (the folder already is).
void keepToOwner(const QString& path)
{
    QFile::setPermissions(path, kUserOnly);
}

bool isArchive(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(4) == QByteArrayLiteral("PK\x03\x04");
}

// What a member of one of kavri's backups can be: the key is a line of hex digits; a database
// copy is at most 4 GiB and, unless it is small, packs no tighter than 1 to 100 (the register is
// encrypted and hardly packs at all). Deflate packs a run of zeros about 1000 to 1: that is how
// an archive of a few megabytes unpacks to gigabytes.
bool memberSizeIsPlausible(const QString& name, qint64 size, qint64 packed)
{
    constexpr qint64 kMaxKeyBytes = 4 * 1024;
    constexpr qint64 kMaxDatabaseBytes = qint64(4) << 30;
    constexpr qint64 kSmallDatabaseBytes = qint64(64) << 20;
    constexpr qint64 kMaxPackingRatio = 100;
    if (size < 0 || packed < 0) {
        return false;
    }
    if (name == kKeyMember || name == kSealKeyMember) {
        return size <= kMaxKeyBytes;
    }
    return size <= kMaxDatabaseBytes &&
           (size <= kSmallDatabaseBytes || size <= packed * kMaxPackingRatio);
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
    // Every member's inflated size is checked before anything is written: a small archive that
    // would unpack to gigabytes is refused as it stands.
    qint64 declaredTotal = 0;
    QHash<QString, qint64> declared;
    for (const QString& name : {kLibraryMember, kRegisterMember, kKeyMember, kSealKeyMember}) {
        QuaZipFileInfo64 info;
        if (!zip.setCurrentFile(name) || !zip.getCurrentFileInfo(&info)) {
            continue;
        }
        const qint64 size = qint64(info.uncompressedSize);
        const qint64 packed = qint64(info.compressedSize);
        if (!memberSizeIsPlausible(name, size, packed)) {
            *error = QStringLiteral("备份文件 %1 中的 %2 解压后有 %3 字节（压缩时 %4 字节），"
                                    "不像本程序的备份，没有解压。")
                         .arg(native(path), name)
                         .arg(size)
                         .arg(packed);
            return std::nullopt;
        }
        declared.insert(name, size);
        declaredTotal += size;
    }
    const QStorageInfo room(folder);
    if (room.isValid() && room.bytesAvailable() >= 0 && declaredTotal > room.bytesAvailable()) {
        *error = QStringLiteral("临时文件夹 %1 的空间不够解压备份（需要 %2 字节）。")
                     .arg(native(folder))
                     .arg(declaredTotal);
        return std::nullopt;
    }

    QStringList found;
    for (const QString& name : {kLibraryMember, kRegisterMember, kKeyMember, kSealKeyMember}) {
        if (!declared.contains(name) || !zip.setCurrentFile(name)) {
            continue;
        }
        const qint64 limit = declared.value(name);
        qint64 written = 0;
        QuaZipFile in(&zip);
        QFile out(QDir(folder).filePath(name));
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) ||
            !out.setPermissions(kUserOnly)) {
            *error = notOurs;
            return std::nullopt;
        }
        while (!in.atEnd()) {
            const QByteArray chunk = in.read(1 << 20);
            written += chunk.size();
            if (written > limit) {
                // More than the archive said: stop at the size it gave.
                *error = QStringLiteral("备份文件 %1 已损坏（%2 解压后比记录的 %3 字节多）。")
                             .arg(native(path), name)
                             .arg(limit);
                return std::nullopt;
            }
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

void removeLeftovers(const QString& target)
{
    const QDir temp(QDir::tempPath());
    for (const QString& name :
         temp.entryList({kWorkPrefix + u'*'}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QStringView rest = QStringView(name).sliced(kWorkPrefix.size());
        const qint64 pid = pidIn(rest.first(std::max<qsizetype>(0, rest.indexOf(u'-'))));
        if (pid > 0 && !isRunning(pid)) {
            QDir(temp.filePath(name)).removeRecursively();
        }
    }
    if (target.isEmpty()) {
        return;
    }
    // "<target>.<pid>.part", as writeArchive names the archive it is writing.
    const QFileInfo info(target);
    const QString stem = info.fileName() + u'.';
    for (const QString& name : info.absoluteDir().entryList({stem + QStringLiteral("*.part")},
                                                            QDir::Files | QDir::Hidden)) {
        const QStringView middle =
            QStringView(name).sliced(stem.size(), name.size() - stem.size() - 5);
        const qint64 pid = pidIn(middle);
        if (pid > 0 && !isRunning(pid)) {
            QFile::remove(info.absoluteDir().filePath(name));
        }
    }
}

bool backup(const QString& libraryPath, const QString& target, QString* message)
{
    const auto failed = [message](const QString& error) {
        *message = QStringLiteral("资料库未能备份：%1").arg(error);
        return false;
    };
    if (!QFileInfo(target).absoluteDir().exists()) {
        return failed(QStringLiteral("无法写入文件 %1（文件夹不存在）。").arg(native(target)));
    }
    // What a backup killed half way left behind goes first.
    removeLeftovers(target);
    QTemporaryDir work(makeWorkFolderTemplate());
    if (!work.isValid()) {
        return failed(QStringLiteral("无法建立临时文件夹（%1）。").arg(work.errorString()));
    }
    QString error;
    const QString libraryCopy = work.filePath(kLibraryMember);
    if (!DatabaseBackup::backup(libraryPath, LibraryBackup::expectation(), libraryCopy, &error)) {
        return failed(error);
    }
    keepToOwner(libraryCopy);
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
        } else if (keepToOwner(registerCopy), !QFile::copy(keyPath, keyCopy)) {
            registerProblem = QStringLiteral("无法读取登记簿密钥 %1。").arg(native(keyPath));
        } else {
            keepToOwner(keyCopy);
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
    removeLeftovers(QString());
    QTemporaryDir work(makeWorkFolderTemplate());
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
