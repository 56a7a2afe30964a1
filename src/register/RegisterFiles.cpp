#include "register/RegisterFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Register {

namespace {
constexpr int kKeyBytes = 32;
constexpr auto kUserOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr auto kOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                         QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

QString sibling(const QString& registerPath, const QString& suffix)
{
    const QFileInfo info(registerPath);
    return info.dir().filePath(info.completeBaseName() + suffix);
}

std::optional<QByteArray> readKey(const QString& keyPath, QString* error)
{
    QFile file(keyPath);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return std::nullopt;
    }
    const QByteArray hex = file.readAll().trimmed();
    if (hex.size() != 2 * kKeyBytes || QByteArray::fromHex(hex).size() != kKeyBytes ||
        QByteArray::fromHex(hex).toHex() != hex.toLower()) {
        *error = QStringLiteral("key file holds no key");
        return std::nullopt;
    }
    return QByteArray("x'") + hex + QByteArray("'");
}
} // namespace

QString registerPathBeside(const QString& libraryFilePath)
{
    return QFileInfo(libraryFilePath).dir().filePath(kRegisterFileName);
}

QString keyPathFor(const QString& registerPath)
{
    return sibling(registerPath, QStringLiteral(".key"));
}

QString sequencePathFor(const QString& registerPath)
{
    return sibling(registerPath, QStringLiteral(".seq"));
}

QString lockPathFor(const QString& registerPath)
{
    return sibling(registerPath, QStringLiteral(".lock"));
}

std::optional<QByteArray> loadOrCreateKey(const QString& keyPath, bool create, QString* error)
{
    if (QFileInfo::exists(keyPath) || !create) {
        return readKey(keyPath, error);
    }
    QByteArray raw(kKeyBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(raw.data()),
                                          kKeyBytes / sizeof(quint32));
    QTemporaryFile out(keyPath + QStringLiteral(".XXXXXX.part"));
    if (!out.open() || !out.setPermissions(kUserOnly)) {
        *error = out.errorString();
        return std::nullopt;
    }
    if (out.write(raw.toHex() + '\n') != 2 * kKeyBytes + 1 || !out.flush()) {
        *error = out.errorString();
        return std::nullopt;
    }
    // rename() never replaces a file: when another copy of the program made the key first, its
    // key wins and ours goes with the temporary file.
    if (out.rename(keyPath)) {
        out.setAutoRemove(false);
    }
    return readKey(keyPath, error);
}

void keepToOwner(const QString& registerPath)
{
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        const QString path = registerPath + suffix;
        if (QFileInfo::exists(path) && (QFile::permissions(path) & kOthers)) {
            QFile::setPermissions(path, kUserOnly);
        }
    }
}

QMap<int, qint64> readHighWaterMarks(const QString& sequencePath)
{
    QMap<int, qint64> marks;
    QFile file(sequencePath);
    if (!file.open(QIODevice::ReadOnly)) {
        return marks;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        bool yearOk = false;
        bool lastOk = false;
        if (parts.size() == 2) {
            const int year = parts[0].toInt(&yearOk);
            const qint64 last = parts[1].toLongLong(&lastOk);
            if (yearOk && lastOk) {
                marks[year] = std::max(marks.value(year), last);
            }
        }
    }
    return marks;
}

bool raiseHighWaterMark(const QString& sequencePath, int year, qint64 last, QString* error)
{
    QMap<int, qint64> marks = readHighWaterMarks(sequencePath);
    if (marks.value(year) >= last) {
        return true;
    }
    marks[year] = last;
    QByteArray text;
    for (auto it = marks.cbegin(); it != marks.cend(); ++it) {
        text += QByteArray::number(it.key()) + ' ' + QByteArray::number(it.value()) + '\n';
    }
    // Whole or not at all: written under a temporary name and renamed over the old file. No
    // sync to disk here (QSaveFile would sync on every certificate and more than double the cost
    // of adding one): after a power cut the file is at worst an older whole one, or gone, and the
    // database, which the write-ahead log keeps whole, still counts on from its own numbers.
    QTemporaryFile file(sequencePath + QStringLiteral(".XXXXXX.part"));
    if (!file.open() || file.write(text) != text.size() || !file.flush()) {
        *error = file.errorString();
        return false;
    }
    if (std::rename(QFile::encodeName(file.fileName()).constData(),
                    QFile::encodeName(sequencePath).constData()) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    file.setAutoRemove(false);
    return true;
}

} // namespace Register
