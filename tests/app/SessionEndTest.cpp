// The end of a desktop session: the program gets SIGTERM or SIGHUP and ends as when its window
// is closed, leaving a library file that holds everything on its own.
#include "ProgramCopy.h"
#include "TempLibrary.h"
#include "store/CDbVisit.h"
#include "store/RecordSet.h"
#include "store/SqlConnection.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

namespace {

int rowsOf(SqlConnection& connection, const QString& condition)
{
    QString error;
    auto records = connection.execute(
        "select count(*) as n from company_item_table where " + condition, &error);
    return records ? records->collectInt("n") : -1;
}

class SessionEnd : public ::testing::TestWithParam<int>
{
};

TEST_P(SessionEnd, ClosesTheLibrarySoThatTheFileAloneHoldsEveryGenerate)
{
    TempLibrary library;
    ASSERT_TRUE(library.isValid());
    const QString program = CopyProgramInto(KAVRI_PROGRAM, library.dirPath());
    ASSERT_FALSE(program.isEmpty());

    QProcess kavri;
    StartOffscreen(kavri, program);
    ASSERT_TRUE(kavri.waitForStarted(10000));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return HoldsOpen(kavri.processId(), library.path()); }, 20000));

    // 40 Generates by a run that then ends without closing: while the program keeps the
    // library open, they live in the log only.
    QProcess other;
    other.start(KAVRI_LIBRARY_PROBE, {"crash", library.path(), "40", "会话"});
    ASSERT_TRUE(other.waitForFinished(60000));
    ASSERT_GT(QFileInfo(library.path() + "-wal").size(), 0);

    ::kill(pid_t(kavri.processId()), GetParam());
    ASSERT_TRUE(kavri.waitForFinished(20000));
    EXPECT_EQ(kavri.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(kavri.exitCode(), 0);

    // The file on its own: whatever log is left beside it is put away first.
    QFile::rename(library.path() + "-wal", library.path() + "-wal.away");
    QFile::remove(library.path() + "-shm");
    QString error;
    const auto alone = SqlConnection::open(library.path(), CDbVisit::kPassword, &error);
    ASSERT_TRUE(alone) << error.toStdString();
    EXPECT_EQ(rowsOf(*alone, "item3 like '公司会话-%'"), 14); // every third of 40
    EXPECT_EQ(rowsOf(*alone, "item1='默认'"), 1);
}

INSTANTIATE_TEST_SUITE_P(Signals, SessionEnd, ::testing::Values(SIGTERM, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == SIGTERM ? "Sigterm" : "Sighup";
                         });

} // namespace
