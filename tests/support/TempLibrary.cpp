#include "TempLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempLibrary::TempLibrary(const QString& folderName)
{
    if (!m_dir.isValid()) {
        return;
    }
    QDir folder(m_dir.path());
    if (!folderName.isEmpty()) {
        if (!folder.mkpath(folderName) || !folder.cd(folderName)) {
            return;
        }
    }
    const QString target = folder.filePath(QStringLiteral("bdsj_conn.dll"));
    if (!QFile::copy(deliveredFile(), target)) {
        return;
    }
    // The copy is the test's own: always writable, whatever the original's mode.
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    m_path = target;
}

QString TempLibrary::dirPath() const
{
    return QFileInfo(m_path).absolutePath();
}

QString TempLibrary::deliveredFile()
{
    return QStringLiteral(KAVRI_DELIVERED_LIBRARY);
}
