// kavri-cli library backup | restore, run as a user would, on a private copy of the library.
#include "CliRun.h"
#include "TempLibrary.h"
#include "store/CDbVisit.h"
#include "store/RecordSet.h"
#include "store/SqlConnection.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

int companiesNamed(const QString& library, const QString& name)
{
    QString error;
    const auto connection = SqlConnection::open(library, CDbVisit::kPassword, &error);
    auto records = connection ? connection->execute("select count(*) as n from company_item_table "
                                                    "where item3='" +
                                                        name + "'",
                                                    &error)
                              : nullptr;
    return records ? records->collectInt("n") : -1;
}

TEST(LibraryCommand, BackupThenRestoreRoundTrip)
{
    TempLibrary library;
    ASSERT_TRUE(library.isValid());
    QTemporaryDir dir;
    const QString backup = dir.filePath("kavri-backup.dll");

    CliRun run = runCli({"library", "backup", backup, "--library", library.path()});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.outText(), "资料库已备份到 " + backup + "。\n");

    {
        QString error;
        auto connection = SqlConnection::open(library.path(), CDbVisit::kPassword, &error);
        ASSERT_TRUE(connection->execute(
            "insert into company_item_table (item3) values ('备份之后')", &error));
    }
    ASSERT_EQ(companiesNamed(library.path(), "备份之后"), 1);

    run = runCli({"library", "restore", backup, "--library", library.path()});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.outText().startsWith("资料库已从 " + backup + " 恢复。原来的资料库保存为 " +
                                         library.path() + ".20"))
        << run.out.toStdString();
    EXPECT_EQ(companiesNamed(library.path(), "备份之后"), 0);
    EXPECT_EQ(QDir(library.dirPath()).entryList({"bdsj_conn.dll.*.bak"}).size(), 1);
}

TEST(LibraryCommand, RefusesWhatCannotWork)
{
    TempLibrary library;
    ASSERT_TRUE(library.isValid());
    QTemporaryDir dir;
    const QString notes = dir.filePath("notes.txt");
    QFile file(notes);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a library\n");
    file.close();

    CliRun run = runCli({"library", "restore", notes, "--library", library.path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errText(), "资料库未恢复，原来的资料库未作更改：无法用资料库的密码打开文件 " +
                                 notes + "，它不是本程序的资料库或其备份。\n");
    EXPECT_TRUE(run.out.isEmpty());

    run = runCli(
        {"library", "backup", dir.filePath("no/such/folder/b.dll"), "--library", library.path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errText(), "资料库未能备份：无法写入文件 " +
                                 dir.filePath("no/such/folder/b.dll") + "（文件夹不存在）。\n");
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).contains("notes.txt"));

    run = runCli({"library", "copy", notes});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.errText(), "kavri-cli: library 后面要写 backup 文件 或 restore 文件\n");
    run = runCli({"library", "backup"});
    EXPECT_EQ(run.status, 2);
    run = runCli({"library", "backup", dir.filePath("b.dll"), "--libary", library.path()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.errText(), "kavri-cli: 没有“--libary”这个选项\n");
}

} // namespace
