// Two copies of the program run side by side on one library file: neither refuses to start
// and both open the file.
#include "ProgramCopy.h"
#include "TempLibrary.h"

#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(TwoCopies, RunSideBySideOnOneLibraryFile)
{
    // A copy of the program in a folder of its own, with its own library beside it.
    TempLibrary library;
    ASSERT_TRUE(library.isValid());
    const QString program = CopyProgramInto(QStringLiteral(KAVRI_PROGRAM), library.dirPath());
    ASSERT_FALSE(program.isEmpty());

    QProcess first;
    QProcess second;
    for (QProcess* p : {&first, &second}) {
        StartOffscreen(*p, program);
        ASSERT_TRUE(p->waitForStarted(10000));
    }
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return HoldsOpen(first.processId(), library.path()) &&
                   HoldsOpen(second.processId(), library.path());
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
