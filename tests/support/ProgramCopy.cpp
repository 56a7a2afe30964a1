#include "ProgramCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString CopyProgramInto(const QString& program, const QString& folder)
{
    const QString copy = folder + QStringLiteral("/kavri");
    return QFile::copy(program, copy) ? copy : QString();
}

void StartOffscreen(QProcess& process, const QString& program)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(program, {});
}

bool HoldsOpen(qint64 pid, const QString& file)
{
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    const QString target = QFileInfo(file).canonicalFilePath();
    for (const QFileInfo& fd :
         fds.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        if (fd.symLinkTarget() == target) {
            return true;
        }
    }
    return false;
}
