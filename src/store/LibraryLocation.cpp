#include "store/LibraryLocation.h"

#include "store/LibraryFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {
// Copies source to target through a temporary file in the target's folder that is renamed
// only when complete, so a half-copied file never stands under the real name. An existing
// target is never replaced. True when target exists afterwards.
bool CopyOnce(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        return false;
    }
    QTemporaryFile out(target + QStringLiteral(".XXXXXX.part"));
    if (!out.open()) {
        return false;
    }
    while (!in.atEnd()) {
        const QByteArray block = in.read(1 << 16);
        if (block.isEmpty() && in.error() != QFileDevice::NoError) {
            return false;
        }
        if (out.write(block) != block.size()) {
            return false;
        }
    }
    if (!out.flush()) {
        return false;
    }
    // QFile::rename does not replace an existing file: when another copy of the program made
    // the target meanwhile, that one stays and ours is dropped with the temporary file.
    if (out.rename(target)) {
        out.setAutoRemove(false);
        return true;
    }
    return QFileInfo::exists(target);
}
} // namespace

bool IsWritableFolder(const QString& folder)
{
    if (!QFileInfo(folder).isDir()) {
        return false;
    }
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".kavri-write-probe.XXXXXX")));
    return probe.open();
}

QString LocateLibraryFile(const QString& executableDir, bool executableDirWritable,
                          const QString& userDataDir)
{
    const QString delivered = QDir(executableDir).filePath(LibraryFile::kFileName);
    const QFileInfo deliveredInfo(delivered);
    // A delivered file that cannot be written counts like an unwritable folder.
    if (executableDirWritable && (!deliveredInfo.exists() || deliveredInfo.isWritable())) {
        return delivered;
    }

    const QString dataDir = userDataDir.isEmpty()
                                ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                                : userDataDir;
    if (dataDir.isEmpty()) {
        return delivered;
    }
    const QString userCopy = QDir(dataDir).filePath(LibraryFile::kFileName);
    if (QFileInfo::exists(userCopy)) {
        return userCopy;
    }
    if (!deliveredInfo.isFile() || !QDir().mkpath(dataDir)) {
        return delivered;
    }
    // The folder will hold the register beside the library: the user's alone.
    QFile::setPermissions(dataDir,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return CopyOnce(delivered, userCopy) ? userCopy : delivered;
}

QString LocateLibraryFile(const QString& executableDir, const QString& userDataDir)
{
    return LocateLibraryFile(executableDir, IsWritableFolder(executableDir), userDataDir);
}
