#include "RecordingNotifier.h"
#include "TempLibrary.h"
#include "store/CDbVisit.h"
#include "store/RecordSet.h"
#include "store/SqlConnection.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

const QString kConnectFailed = QStringLiteral("无法连接到资料库，您的本地数据被破坏或无法找到！");

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// Connecting must fail with the one notice, leave the object unconnected and the file as it was;
// every later statement is then reported on its own.
void expectConnectFailure(const QString& path, const QString& password = CDbVisit::kPassword)
{
    RecordingNotifier notes;
    CDbVisit db;
    const QByteArray before = fileHash(path);
    db.m_pConnection = db.ConnectAccessDb(path, password);
    EXPECT_FALSE(db.m_pConnection);
    ASSERT_EQ(notes.notices().size(), 1);
    EXPECT_EQ(notes.notices()[0].text, kConnectFailed);
    EXPECT_EQ(notes.notices()[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(notes.notices()[0].icon, Notifier::Icon::Information);
    EXPECT_EQ(fileHash(path), before);

    notes.clear();
    EXPECT_EQ(db.FindRecordId("company_item_table", "item1", "默认"), -1);
    db.SetRecordValue("company_item_table", "item1", "", 1);
    ASSERT_EQ(notes.notices().size(), 2);
    EXPECT_EQ(notes.notices()[0].caption, QApplication::applicationDisplayName());
    EXPECT_EQ(notes.notices()[0].icon, Notifier::Icon::Warning);
    EXPECT_TRUE(notes.notices()[0].text.endsWith(
        "select top 1 * from company_item_table where item1='默认'"));
    EXPECT_TRUE(notes.notices()[1].text.endsWith(
        "UPDATE company_item_table SET item1 = '' WHERE itemid=1"));
}

TEST(Connect, DeliveredCopyOpensWithoutNotice)
{
    TempLibrary library;
    ASSERT_TRUE(library.isValid());
    RecordingNotifier notes;
    CDbVisit db;
    db.m_pConnection = db.ConnectAccessDb(library.path(), CDbVisit::kPassword);
    ASSERT_TRUE(db.m_pConnection);
    EXPECT_TRUE(notes.notices().isEmpty());
    EXPECT_FALSE(db.m_pConnection->isReadOnly());
}

TEST(Connect, MissingFileFailsAndIsNotCreated)
{
    TempLibrary library;
    const QString missing = library.dirPath() + "/nothing here.dll";
    expectConnectFailure(missing);
    EXPECT_FALSE(QFile::exists(missing));
}

TEST(Connect, RandomBytesFail)
{
    TempLibrary library;
    QFile file(library.path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QByteArray noise(8192, '\0');
    for (char& c : noise) {
        c = char(QRandomGenerator::global()->bounded(256));
    }
    file.write(noise);
    file.close();
    expectConnectFailure(library.path());
}

TEST(Connect, EmptyFileIsNoLibrary)
{
    TempLibrary library;
    QFile file(library.path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.close();
    expectConnectFailure(library.path());
    EXPECT_EQ(QFile(library.path()).size(), 0);
}

TEST(Connect, WrongPasswordFails)
{
    TempLibrary library;
    expectConnectFailure(library.path(), "another password");
    expectConnectFailure(library.path(), QString());
}

TEST(Connect, FileKeyedWithAnotherPasswordFails)
{
    TempLibrary library;
    {
        QString error;
        auto connection = SqlConnection::open(library.path(), CDbVisit::kPassword, &error);
        ASSERT_TRUE(connection) << error.toStdString();
        ASSERT_TRUE(connection->execute("PRAGMA rekey='다른 비밀번호'", &error))
            << error.toStdString();
    }
    expectConnectFailure(library.path());
    QString error;
    EXPECT_TRUE(SqlConnection::open(library.path(), "다른 비밀번호", &error));
}

TEST(Connect, PathWithSpacesAndChineseOpens)
{
    TempLibrary library("离职 证明/资料 库 folder");
    ASSERT_TRUE(library.isValid());
    RecordingNotifier notes;
    CDbVisit db;
    db.m_pConnection = db.ConnectAccessDb(library.path(), CDbVisit::kPassword);
    ASSERT_TRUE(db.m_pConnection);
    EXPECT_GT(db.FindRecordId("moban_item_table", "item1", "默认"), 0);
    EXPECT_TRUE(notes.notices().isEmpty());
}

TEST(Connect, CloseConnectionIsSafeWithoutConnectionAndLeavesNoneBehind)
{
    TempLibrary library;
    RecordingNotifier notes;
    CDbVisit db;
    db.CloseConnection(db.m_pConnection);
    EXPECT_FALSE(db.m_pConnection);
    EXPECT_TRUE(notes.notices().isEmpty());

    db.m_pConnection = db.ConnectAccessDb(library.path(), CDbVisit::kPassword);
    ASSERT_TRUE(db.m_pConnection);
    std::shared_ptr<SqlConnection> copy = db.m_pConnection;
    db.CloseConnection(db.m_pConnection);
    EXPECT_FALSE(db.m_pConnection);
    EXPECT_FALSE(copy->isOpen());
    EXPECT_EQ(db.GetRecordValue("moban_item_table", "item3", 1), QString());
    ASSERT_EQ(notes.notices().size(), 1);
    EXPECT_TRUE(
        notes.notices()[0].text.endsWith("select top 1 * from moban_item_table where itemid=1"));
}

TEST(Connect, OnlyOneStatementRunsPerCall)
{
    TempLibrary library;
    RecordingNotifier notes;
    CDbVisit db;
    db.m_pConnection = db.ConnectAccessDb(library.path(), CDbVisit::kPassword);
    ASSERT_TRUE(db.m_pConnection);
    const QString twoStatements =
        "UPDATE company_item_table SET item3 = 'x' WHERE itemid=1; delete from company_item_table";
    EXPECT_FALSE(db.ExecuteSql(twoStatements));
    ASSERT_EQ(notes.notices().size(), 1);
    EXPECT_EQ(notes.notices()[0].text, SqlConnection::kSecondStatement + twoStatements);
    EXPECT_NE(db.GetRecordValue("company_item_table", "item3", 1), "x");
    EXPECT_EQ(db.FindRecordId("company_item_table", "item3", "x"), -1);

    // A trailing semicolon is no second statement.
    notes.clear();
    EXPECT_TRUE(db.ExecuteSql("select * from company_item_table;"));
    EXPECT_TRUE(notes.notices().isEmpty());
}

TEST(Connect, FailedStatementShowsErrorThenTheJetStatement)
{
    TempLibrary library;
    RecordingNotifier notes;
    CDbVisit db;
    db.m_pConnection = db.ConnectAccessDb(library.path(), CDbVisit::kPassword);
    ASSERT_TRUE(db.m_pConnection);
    EXPECT_EQ(db.GetRecordValue("no_such_table", "item3", 1), QString());
    ASSERT_EQ(notes.notices().size(), 1);
    // SQLite's text first, then the statement as built, before "top" was translated.
    EXPECT_EQ(notes.notices()[0].text,
              "no such table: no_such_tableselect top 1 * from no_such_table where itemid=1");
}

} // namespace
