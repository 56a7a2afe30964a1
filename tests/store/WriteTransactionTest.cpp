// Generate's bookkeeping as one unit: two real processes on one file, another program's lock,
// refused values and a full disk.
#include "LibraryFixture.h"
#include "store/SqlConnection.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

const QString kProbe = QStringLiteral(KAVRI_LIBRARY_PROBE);
const QStringList kWrittenTables = {"company_item_table", "department_item_table", "position_item_table",
                             "reason_item_bable"};

class WriteTransaction : public LibraryFixture
{
protected:
    int defaults(const QString& table)
    {
        auto records = db.ExecuteSql("select count(*) as n from " + table + " where item1='默认'");
        return records ? records->collectInt("n") : -1;
    }

    int rowsNamed(const QString& table, const QString& name)
    {
        auto records =
            db.ExecuteSql("select count(*) as n from " + table + " where item3='" + name + "'");
        return records ? records->collectInt("n") : -1;
    }

    QString defaultName(const QString& table)
    {
        return db.FindRecordValue(table, "item1", "默认", "item3");
    }
};

// A probe that holds the library under BEGIN EXCLUSIVE until it is killed or ms have passed.
struct Holder
{
    QProcess process;

    bool start(const QString& file, int ms)
    {
        process.start(kProbe, {"hold", file, QString::number(ms)});
        return process.waitForStarted(10000) && process.waitForReadyRead(10000) &&
               process.readAllStandardOutput().startsWith("locked");
    }
    ~Holder()
    {
        process.kill();
        process.waitForFinished(10000);
    }
};

TEST_F(WriteTransaction, TwoProcessesLeaveOneDefaultPerLibraryAndLoseNoRow)
{
    db.CloseConnection(db.m_pConnection);
    QProcess first;
    QProcess second;
    first.start(kProbe, {"generate", library.path(), "500", "甲"});
    second.start(kProbe, {"generate", library.path(), "500", "乙"});
    for (QProcess* p : {&first, &second}) {
        ASSERT_TRUE(p->waitForFinished(240000));
        const QString output = QString::fromUtf8(p->readAllStandardOutput());
        EXPECT_EQ(p->exitCode(), 0);
        EXPECT_FALSE(output.contains("notice ")) << output.toStdString();
        EXPECT_TRUE(output.contains("done ")) << output.toStdString();
    }
    db.m_pConnection = db.ConnectAccessDb(library.path(), CDbVisit::kPassword);
    ASSERT_TRUE(db.m_pConnection);
    for (const QString& table : kWrittenTables) {
        EXPECT_EQ(defaults(table), 1) << table.toStdString();
    }
    // Every name used exists once: none lost, none added twice by the two copies.
    for (const char* tag : {"甲", "乙"}) {
        for (int i = 0; i < 500; i += 3) {
            ASSERT_EQ(rowsNamed("company_item_table", QString("公司%1-%2").arg(tag).arg(i)), 1)
                << i;
        }
    }
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(rowsNamed("company_item_table", QString("共用公司%1").arg(i)), 1);
    }
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(rowsNamed("position_item_table", QString("共用职位%1").arg(i)), 1);
    }
    EXPECT_TRUE(notes.notices().isEmpty()) << notes.texts().join('\n').toStdString();
}

TEST_F(WriteTransaction, AllFourLibrariesChangeTogether)
{
    db.RememberLibraryValues({{"company_item_table", "新公司"},
                              {"department_item_table", ""},
                              {"position_item_table", "新职位"},
                              {"reason_item_bable", "个人原因（备注）"}});
    EXPECT_TRUE(notes.notices().isEmpty()) << notes.texts().join('\n').toStdString();
    EXPECT_EQ(defaultName("company_item_table"), "新公司");
    EXPECT_EQ(defaultName("position_item_table"), "新职位");
    EXPECT_EQ(defaultName("reason_item_bable"), "个人原因（备注）");
    EXPECT_FALSE(db.m_pConnection->inTransaction());
    // The same values again add nothing and keep one default each.
    const int companies = rowCount("company_item_table");
    db.RememberLibraryValues({{"company_item_table", "新公司"}});
    EXPECT_EQ(rowCount("company_item_table"), companies);
    EXPECT_EQ(defaults("company_item_table"), 1);
}

TEST_F(WriteTransaction, LockedFileGivesOneMessageWithinAFewSecondsAndChangesNothing)
{
    QStringList before;
    for (const QString& table : kWrittenTables) {
        before += snapshot(table);
    }
    Holder holder;
    ASSERT_TRUE(holder.start(library.path(), 60000));

    QElapsedTimer timer;
    timer.start();
    db.RememberLibraryValues({{"company_item_table", "新公司"},
                              {"department_item_table", "新部门"},
                              {"position_item_table", "新职位"},
                              {"reason_item_bable", "新原因"}});
    const qint64 waited = timer.elapsed();

    ASSERT_EQ(notes.notices().size(), 1) << notes.texts().join('\n').toStdString();
    EXPECT_EQ(notes.notices()[0].icon, Notifier::Icon::Warning);
    // The engine's complaint in words, then the statement that met the lock: the first one.
    EXPECT_EQ(notes.notices()[0].text,
              SqlConnection::kLocked + "select top 1 * from company_item_table where item1='默认'");
    // One budget for the whole unit, not one per statement (eight statements used to wait
    // 5 s each).
    EXPECT_LT(waited, 2 * SqlConnection::kBusyTimeoutMs);
    EXPECT_FALSE(db.m_pConnection->inTransaction());

    holder.process.kill();
    holder.process.waitForFinished(10000);
    QStringList after;
    for (const QString& table : kWrittenTables) {
        after += snapshot(table);
    }
    EXPECT_EQ(after, before);
}

TEST_F(WriteTransaction, RefusedValueLeavesEveryLibraryAsItWas)
{
    db.RememberLibraryValues(
        {{"company_item_table", "旧公司"}, {"department_item_table", "旧部门"}});
    ASSERT_TRUE(notes.notices().isEmpty());
    const QStringList companies = snapshot("company_item_table");
    const QStringList departments = snapshot("department_item_table");

    // A NUL in the department: the company, already remembered in this unit, is undone too.
    db.RememberLibraryValues({{"company_item_table", "新公司"},
                              {"department_item_table", QString("部") + QChar(0) + "门"}});
    ASSERT_EQ(notes.notices().size(), 1) << notes.texts().join('\n').toStdString();
    EXPECT_TRUE(notes.notices()[0].text.startsWith(
        "部门中含有无法保存的字符（空字符或不完整的字符），资料库未作更改。select top 1 * "
        "from department_item_table where item3='部"))
        << notes.notices()[0].text.toStdString();

    // Half a surrogate pair in the company: refused before the default moved.
    db.RememberLibraryValues({{"company_item_table", QString("半个") + QChar(0xD83D) + "公司"}});
    ASSERT_EQ(notes.notices().size(), 2);
    EXPECT_TRUE(notes.notices()[1].text.startsWith(
        "公司名称中含有无法保存的字符（空字符或不完整的字符），资料库未作更改。"))
        << notes.notices()[1].text.toStdString();

    EXPECT_EQ(snapshot("company_item_table"), companies);
    EXPECT_EQ(snapshot("department_item_table"), departments);
    EXPECT_EQ(defaultName("company_item_table"), "旧公司");
    EXPECT_EQ(defaultName("department_item_table"), "旧部门");
}

TEST_F(WriteTransaction, FailureOutsideTheUnitIsStillReportedEachTime)
{
    // Operations outside a unit keep reporting every failing statement on its own.
    db.AddRecord("no_such_table", "item3", "a", "item8", "");
    db.AddRecord("no_such_table", "item3", "b", "item8", "");
    EXPECT_EQ(notes.notices().size(), 2);
}

// A full disk for real: the probe runs in a mount namespace of its own on a small tmpfs that
// holds the library. Needs unshare(1) and the right to make such a namespace.
TEST(WriteTransactionDiskFull, OneMessagePerGenerateAtMost)
{
    const QString unshare = QStandardPaths::findExecutable("unshare");
    if (unshare.isEmpty() || QProcess::execute(unshare, {"-rm", "true"}) != 0) {
        GTEST_SKIP() << "no mount namespace for a small tmpfs here";
    }
    TempLibrary library;
    ASSERT_TRUE(library.isValid());
    QTemporaryDir mountPoint;
    ASSERT_TRUE(mountPoint.isValid());
    // Room for the library, its index file and a few Generates' worth of log, then full.
    const QString script =
        QStringLiteral("mount -t tmpfs -o size=160k tmpfs \"$1\" && cp \"$2\" \"$1\"/ && "
                       "exec \"$3\" generate \"$1\"/bdsj_conn.dll 60 满");
    QProcess probe;
    probe.start(unshare,
                {"-rm", "sh", "-c", script, "sh", mountPoint.path(), library.path(), kProbe});
    ASSERT_TRUE(probe.waitForFinished(120000));
    const QString output = QString::fromUtf8(probe.readAllStandardOutput());
    ASSERT_EQ(probe.exitCode(), 0)
        << output.toStdString() << probe.readAllStandardError().toStdString();
    ASSERT_TRUE(output.contains("done ")) << output.toStdString();

    // "notice N: ..." lines, N being the Generate that showed it.
    QMap<int, int> perGenerate;
    const QRegularExpression line("^notice (\\d+): (.*)$", QRegularExpression::MultilineOption);
    for (auto match = line.globalMatch(output); match.hasNext();) {
        const auto m = match.next();
        ++perGenerate[m.captured(1).toInt()];
        EXPECT_TRUE(m.captured(2).startsWith(SqlConnection::kDiskFull)) << output.toStdString();
    }
    EXPECT_GT(perGenerate.size(), 10) << output.toStdString();
    for (auto it = perGenerate.cbegin(); it != perGenerate.cend(); ++it) {
        EXPECT_EQ(it.value(), 1) << "Generate " << it.key();
    }
}

} // namespace
