// Two copies of the program run side by side on one library file: neither refuses to start
// and both open the file.
#include "TempLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// True when process pid holds file open.
bool holdsOpen(qint64 pid, const QString& file)
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

TEST(TwoCopies, RunSideBySideOnOneLibraryFile)
{
    // A copy of the program in a folder of its own, with its own library beside it.
    TempLibrary library;
    ASSERT_TRUE(library.isValid());
    const QString program = library.dirPath() + QStringLiteral("/kavri");
    ASSERT_TRUE(QFile::copy(QStringLiteral(KAVRI_PROGRAM), program));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess first;
    QProcess second;
    for (QProcess* p : {&first, &second}) {
        p->setProcessEnvironment(env);
        p->start(program, {});
        ASSERT_TRUE(p->waitForStarted(10000));
    }
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return holdsOpen(first.processId(), library.path()) &&
                   holdsOpen(second.processId(), library.path());
        },
        20000));
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(second.state(), QProcess::Running);
    for (QProcess* p : {&first, &second}) {
        p->kill();
        p->waitForFinished(10000);
    }
}

} // namespace
