#include "BuildFolderGuard.h"

#include <QDir>
#include <QFileInfo>

namespace {

QList<BuildFolderGuard::Seen> look()
{
    QList<BuildFolderGuard::Seen> seen;
    for (const char* folder : {KAVRI_BUILD_DIR "/bin", KAVRI_BUILD_DIR "/tests"}) {
        for (const char* name : {"kavri_register.db", "kavri_register.key", "kavri_register.seq"}) {
            const QFileInfo info(QDir(QString::fromUtf8(folder)).filePath(QString::fromLatin1(name)));
            seen << BuildFolderGuard::Seen{info.filePath(), info.exists() ? info.size() : -1,
                                           info.exists() ? info.lastModified() : QDateTime()};
        }
    }
    return seen;
}

} // namespace

void BuildFolderGuard::SetUp()
{
    m_before = look();
}

void BuildFolderGuard::TearDown()
{
    const QList<Seen> after = look();
    for (qsizetype i = 0; i < after.size(); ++i) {
        const Seen& was = m_before.at(i);
        const Seen& is = after.at(i);
        if (is.size >= 0 && (was.size != is.size || was.modified != is.modified)) {
            ADD_FAILURE() << "a test wrote " << is.path.toStdString()
                          << ": tests write only under their own temporary folders";
        }
    }
}
