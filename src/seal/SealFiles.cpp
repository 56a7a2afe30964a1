#include "seal/SealFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

namespace Seal {

namespace {

constexpr auto kUserOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
// The line `kavri-cli register public-key` puts before the label; not a label itself.
const QByteArray kKeyIdLine = QByteArrayLiteral("# 密钥编号");

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString labelIn(const QByteArray& pem)
{
    for (const QByteArray& line : pem.split('\n')) {
        if (line.startsWith("# ") && !line.startsWith(kKeyIdLine)) {
            return QString::fromUtf8(line.mid(2)).trimmed();
        }
        if (line.startsWith("-----")) {
            break;
        }
    }
    return {};
}

} // namespace

QString sealKeyPathBeside(const QString& registerPath)
{
    return QFileInfo(registerPath).dir().filePath(kSealKeyFileName);
}

QString trustFolderBeside(const QString& registerPath)
{
    return QFileInfo(registerPath).dir().filePath(kTrustFolderName);
}

std::optional<SealKey> loadOrCreateSealKey(const QString& keyPath, bool create, QString* error)
{
    const auto readKey = [&]() -> std::optional<SealKey> {
        QFile file(keyPath);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("无法读取签名密钥 %1（%2）").arg(native(keyPath), file.errorString());
            return std::nullopt;
        }
        QString why;
        std::optional<SealKey> key = SealKey::fromPem(file.readAll(), &why);
        if (!key || !key->hasPrivateKey()) {
            *error = QStringLiteral("签名密钥文件 %1 已损坏").arg(native(keyPath));
            return std::nullopt;
        }
        return key;
    };
    if (QFileInfo::exists(keyPath) || !create) {
        return readKey();
    }
    std::optional<SealKey> made = SealKey::generate(error);
    if (!made) {
        return std::nullopt;
    }
    const QByteArray pem = made->privatePem();
    QTemporaryFile out(keyPath + QStringLiteral(".XXXXXX.part"));
    if (!out.open() || !out.setPermissions(kUserOnly) || out.write(pem) != pem.size() ||
        !out.flush()) {
        *error = QStringLiteral("无法写入签名密钥 %1（%2）").arg(native(keyPath), out.errorString());
        return std::nullopt;
    }
    // rename() never replaces a file: a key another copy of the program made first wins.
    if (out.rename(keyPath)) {
        out.setAutoRemove(false);
    }
    return readKey();
}

QList<TrustedKey> readTrustFolder(const QString& folder)
{
    QList<TrustedKey> keys;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.pem")}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray pem = file.read(64 * 1024);
        QString error;
        std::optional<SealKey> key = SealKey::fromPem(pem, &error);
        if (!key) {
            continue;
        }
        QString label = labelIn(pem);
        if (label.isEmpty()) {
            label = QFileInfo(name).completeBaseName();
        }
        keys.append({label, std::move(*key)});
    }
    return keys;
}

QByteArray labelledPublicPem(const SealKey& key, const QString& label)
{
    QString line = label;
    line.replace(u'\n', u' ').replace(u'\r', u' ');
    QByteArray out;
    if (!line.trimmed().isEmpty()) {
        out += "# " + line.trimmed().toUtf8() + '\n';
    }
    return out + key.publicPem();
}

std::optional<QByteArray> addTrustedKey(const QString& folder, const QString& pemFile,
                                        const QString& label, QString* error)
{
    QFile in(pemFile);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("无法读取文件 %1（%2）").arg(native(pemFile), in.errorString());
        return std::nullopt;
    }
    const QByteArray pem = in.read(64 * 1024);
    QString why;
    std::optional<SealKey> key = SealKey::fromPem(pem, &why);
    if (!key) {
        *error = QStringLiteral("文件 %1 中没有可用的公钥：%2").arg(native(pemFile), why);
        return std::nullopt;
    }
    QString name = label.trimmed();
    if (name.isEmpty()) {
        name = labelIn(pem);
    }
    if (name.isEmpty()) {
        name = QFileInfo(pemFile).completeBaseName();
    }
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("无法建立文件夹 %1").arg(native(folder));
        return std::nullopt;
    }
    const QByteArray id = key->keyId();
    // Only the public half is kept, whatever the file held.
    const QByteArray out = labelledPublicPem(*key, name);
    QSaveFile file(QDir(folder).filePath(QString::fromLatin1(id.toHex()) + QStringLiteral(".pem")));
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit()) {
        *error = QStringLiteral("无法写入文件 %1（%2）").arg(native(file.fileName()), file.errorString());
        return std::nullopt;
    }
    return id;
}

bool removeTrustedKey(const QString& folder, const QString& keyIdHex)
{
    const QString hex = keyIdHex.toLower().remove(u' ');
    if (hex.size() != 2 * kKeyIdBytes || QByteArray::fromHex(hex.toLatin1()).toHex() != hex.toLatin1()) {
        return false;
    }
    return QFile::remove(QDir(folder).filePath(hex + QStringLiteral(".pem")));
}

} // namespace Seal
