#include "PgTestCluster.h"
#include "RecordingNotifier.h"
#include "TempLibrary.h"

#include "register/RegisterFiles.h"
#include "store/CDbVisit.h"
#include "store/LibraryFile.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgImport.h"
#include "store/pg/PgRecordSet.h"
#include "ui/common/CtrlText.h"
#include "ui/main/CkavriDlg.h"
#include "ui/main/MainDialogIds.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString kConnectFailed = QStringLiteral("无法连接到资料库，您的本地数据被破坏或无法找到！");

// The main window started with a kavri.conf of the test's own (and none for all users).
class TeamWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_userConfig.isValid() && m_systemConfig.isValid() && m_library.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_userConfig.path()));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_systemConfig.path()));
    }

    void TearDown() override
    {
        if (m_window) {
            m_window->close();
            m_window.reset();
        }
    }

    void configure(const QString& server)
    {
        QSettings settings(m_userConfig.filePath(QStringLiteral("kavri/kavri.conf")),
                           QSettings::IniFormat);
        settings.setValue(QStringLiteral("library/server"), server);
        settings.sync();
    }

    CkavriDlg* open()
    {
        m_window = std::make_unique<CkavriDlg>(m_dbVisit, m_certText, m_library.path());
        m_window->OnInitDialog();
        return m_window.get();
    }

    int templateRows() const
    {
        auto* list = m_window->findChild<QTableWidget*>(QStringLiteral("1003"));
        return list ? list->rowCount() : -1;
    }

    QTemporaryDir m_userConfig;
    QTemporaryDir m_systemConfig;
    TempLibrary m_library;
    RecordingNotifier m_notes;
    CDbVisit m_dbVisit;
    QString m_certText;
    std::unique_ptr<CkavriDlg> m_window;
};

TEST_F(TeamWindowTest, WithoutConfigurationTheFileIsUsedAsBefore)
{
    open();
    EXPECT_TRUE(m_notes.notices().isEmpty()) << m_notes.texts().join('\n').toStdString();
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("离职证明 kavri"));
    EXPECT_GT(templateRows(), 0);
}

TEST_F(TeamWindowTest, UnreachableServerGivesTheConnectNoticeAndNoFileFallback)
{
    configure(QStringLiteral("host=127.0.0.1 port=1 dbname=kavri-hr"));
    open();
    ASSERT_FALSE(m_notes.notices().isEmpty());
    EXPECT_EQ(m_notes.notices().first().text, kConnectFailed);
    EXPECT_EQ(m_notes.texts().count(kConnectFailed), 1);
    // The library file beside the program holds templates; none of them may show up.
    EXPECT_EQ(templateRows(), 0);
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("离职证明 kavri — 团队资料库 kavri-hr"));
}

TEST_F(TeamWindowTest, PasswordInTheConfigurationIsRefusedWithoutConnecting)
{
    configure(QStringLiteral("host=127.0.0.1 port=1 dbname=x password=secret"));
    open();
    ASSERT_FALSE(m_notes.notices().isEmpty());
    EXPECT_TRUE(
        m_notes.notices().first().text.startsWith(QStringLiteral("kavri.conf 中不能写密码")));
    EXPECT_EQ(templateRows(), 0);
}

TEST_F(TeamWindowTest, ReachableServerFillsTheWindowAndNamesTheLibrary)
{
    PgTestDatabase server;
    ASSERT_TRUE(server.isValid()) << "no test cluster (fixture pg_cluster)";
    QString error;
    const auto admin = server.openInitialized(&error);
    ASSERT_TRUE(admin) << error.toStdString();
    ASSERT_TRUE(PgImport::importLibrary(*admin, m_library.path(), LibraryFile::kPassword).ok);
    // One template more on the server than in the file: the list shows the server's.
    ASSERT_TRUE(admin->execute(
        QStringLiteral("insert into moban_item_table (item3, item8) values ('团队模板', '')"),
        &error));
    configure(server.conninfo());
    open();
    EXPECT_TRUE(m_notes.notices().isEmpty()) << m_notes.texts().join('\n').toStdString();
    EXPECT_EQ(m_window->windowTitle(),
              QStringLiteral("离职证明 kavri — 团队资料库 ") + server.name());
    auto* list = m_window->findChild<QTableWidget*>(QStringLiteral("1003"));
    ASSERT_TRUE(list && list->rowCount() > 0);
    EXPECT_EQ(list->item(list->rowCount() - 1, 0)->text(), QStringLiteral("团队模板"));
    m_window->close();
    m_window.reset();
}

TEST_F(TeamWindowTest, GenerateOnATeamLibraryNumbersFromTheServersRegisterAndKeepsNoFile)
{
    PgTestDatabase server;
    ASSERT_TRUE(server.isValid()) << "no test cluster (fixture pg_cluster)";
    QString error;
    const auto admin = server.openInitialized(&error);
    ASSERT_TRUE(admin) << error.toStdString();
    ASSERT_TRUE(
        admin->execute(QStringLiteral("insert into moban_item_table (item1, item3, item8) "
                                      "values ('默认', '编号模板', '编号【证明编号】|【姓名】')"),
                       &error));
    // Another clerk already issued this year's first number.
    ASSERT_TRUE(admin->execute(QStringLiteral("insert into register_counter values (%1, 1)")
                                   .arg(QDate::currentDate().year()),
                               &error));
    configure(server.conninfo());
    CkavriDlg* window = open();
    window->control<QLineEdit>(MainIds::kName)->setText(QStringLiteral("张三"));
    QTest::mouseClick(window->control(MainIds::kGenerate), Qt::LeftButton);
    const QString number = QStringLiteral("LZ%1-000002").arg(QDate::currentDate().year());
    EXPECT_TRUE(GetCtrlText(window, MainIds::kResult).endsWith(number + QStringLiteral("|张三")))
        << GetCtrlText(window, MainIds::kResult).toStdString();
    window->OnCopyText();
    EXPECT_FALSE(QFile::exists(Register::registerPathBeside(m_library.path())));

    auto rows = admin->execute(QStringLiteral("select e.number, e.name, count(ev.id) as events "
                                              "from register_entry e left join register_event ev "
                                              "on ev.entry_id = e.id group by e.id"),
                               &error);
    ASSERT_TRUE(rows) << error.toStdString();
    ASSERT_FALSE(rows->isEof());
    EXPECT_EQ(rows->collect(QStringLiteral("number")), number);
    EXPECT_EQ(rows->collect(QStringLiteral("name")), QStringLiteral("张三"));
    EXPECT_EQ(rows->collectInt(QStringLiteral("events")), 1);
    rows->moveNext();
    EXPECT_TRUE(rows->isEof());
}

TEST_F(TeamWindowTest, GenerateWithTheServerOutOfReachFromTheStartGivesOneNoticeAndChangesNothing)
{
    configure(QStringLiteral("host=127.0.0.1 port=1 dbname=kavri-hr"));
    CkavriDlg* window = open();
    m_notes.clear();
    window->control<QLineEdit>(MainIds::kName)->setText(QStringLiteral("张三"));
    QTest::mouseClick(window->control(MainIds::kGenerate), Qt::LeftButton);
    EXPECT_EQ(m_notes.texts(),
              QStringList{QStringLiteral(
                  "无法连接到团队资料库的服务器，本次操作未完成，没有写入任何内容。")});
    EXPECT_EQ(GetCtrlText(window, MainIds::kResult), QString());
    EXPECT_FALSE(QFile::exists(Register::registerPathBeside(m_library.path())));
}

TEST_F(TeamWindowTest, GenerateWhileTheServerIsDownGivesOneNoticeAndTheNextOneConnectsAgain)
{
    PgOwnCluster cluster; // stopped in the middle: a server of this test's own
    ASSERT_TRUE(cluster.isValid()) << cluster.output().toStdString();
    PgTestDatabase server(cluster.info());
    ASSERT_TRUE(server.isValid());
    QString error;
    auto admin = server.openInitialized(&error);
    ASSERT_TRUE(admin) << error.toStdString();
    ASSERT_TRUE(
        admin->execute(QStringLiteral("insert into moban_item_table (item1, item3, item8) "
                                      "values ('默认', '编号模板', '【证明编号】|【姓名】')"),
                       &error));
    configure(server.conninfo());
    CkavriDlg* window = open();
    const QString year = QString::number(QDate::currentDate().year());
    const auto generate = [window](const QString& name, const QString& company) {
        window->control<QLineEdit>(MainIds::kName)->setText(name);
        window->control<QComboBox>(MainIds::kCompany)->setEditText(company);
        QTest::mouseClick(window->control(MainIds::kGenerate), Qt::LeftButton);
        return GetCtrlText(window, MainIds::kResult);
    };
    EXPECT_TRUE(generate(QStringLiteral("张三"), QStringLiteral("甲公司"))
                    .endsWith(QStringLiteral("LZ%1-000001|张三").arg(year)));
    ASSERT_TRUE(m_notes.notices().isEmpty()) << m_notes.texts().join('\n').toStdString();

    ASSERT_TRUE(cluster.halt());
    m_notes.clear();
    // One notice; the result box still holds the last certificate.
    EXPECT_TRUE(generate(QStringLiteral("李四"), QStringLiteral("乙公司"))
                    .endsWith(QStringLiteral("LZ%1-000001|张三").arg(year)));
    ASSERT_EQ(m_notes.notices().size(), 1) << m_notes.texts().join('\n').toStdString();
    EXPECT_TRUE(m_notes.texts().first().startsWith(
        QStringLiteral("与资料库服务器的连接已中断，本次操作未完成，没有写入任何内容。")))
        << m_notes.texts().first().toStdString();

    ASSERT_TRUE(cluster.resume());
    m_notes.clear();
    EXPECT_TRUE(generate(QStringLiteral("王五"), QStringLiteral("丙公司"))
                    .endsWith(QStringLiteral("LZ%1-000002|王五").arg(year)));
    EXPECT_TRUE(m_notes.notices().isEmpty()) << m_notes.texts().join('\n').toStdString();

    // On the server: two entries without a gap, and the companies of the Generates that went
    // through, the last one the default; nothing of 李四's.
    admin = PgConnection::open(server.conninfo(), &error);
    ASSERT_TRUE(admin) << error.toStdString();
    QStringList entries;
    for (auto rows = admin->execute(
             QStringLiteral("select number, name from register_entry order by number"), &error);
         rows && !rows->isEof(); rows->moveNext()) {
        entries << rows->collect(QStringLiteral("number")) + QLatin1Char(' ') +
                       rows->collect(QStringLiteral("name"));
    }
    EXPECT_EQ(entries, (QStringList{QStringLiteral("LZ%1-000001 张三").arg(year),
                                    QStringLiteral("LZ%1-000002 王五").arg(year)}));
    QStringList companies;
    for (auto rows = admin->execute(
             QStringLiteral("select * from company_item_table order by itemid"), &error);
         rows && !rows->isEof(); rows->moveNext()) {
        companies << rows->collect(QStringLiteral("item3")) + QLatin1Char(':') +
                         rows->collect(QStringLiteral("item1"));
    }
    EXPECT_EQ(companies, (QStringList{QStringLiteral("甲公司:"), QStringLiteral("丙公司:默认")}));
    m_window->close();
    m_window.reset();
}

// A desk started while its server was down: each action gives the notice it gives today until
// the server answers; then the next one fills the form's lists and goes through, no restart.
TEST_F(TeamWindowTest, ADeskStartedWhileTheServerWasDownConnectsAtTheNextAction)
{
    PgOwnCluster cluster;
    ASSERT_TRUE(cluster.isValid()) << cluster.output().toStdString();
    PgTestDatabase server(cluster.info());
    ASSERT_TRUE(server.isValid());
    QString error;
    {
        const auto admin = server.openInitialized(&error);
        ASSERT_TRUE(admin) << error.toStdString();
        ASSERT_TRUE(admin->execute(
            QStringLiteral("insert into moban_item_table (item1, item3, item8) "
                           "values ('默认', '编号模板', '【证明编号】|【姓名】|【公司名称】')"),
            &error));
        ASSERT_TRUE(admin->execute(QStringLiteral("insert into company_item_table (item1, item3) "
                                                  "values ('默认', '甲公司')"),
                                   &error));
    }
    configure(server.conninfo());
    ASSERT_TRUE(cluster.halt());
    CkavriDlg* window = open();
    ASSERT_FALSE(m_notes.notices().isEmpty());
    EXPECT_EQ(m_notes.notices().first().text, kConnectFailed);
    EXPECT_EQ(templateRows(), 0);
    auto* company = window->control<QComboBox>(MainIds::kCompany);
    EXPECT_EQ(company->count(), 0);

    const QString serverAway =
        QStringLiteral("无法连接到团队资料库的服务器，本次操作未完成，没有写入任何内容。");
    window->control<QLineEdit>(MainIds::kName)->setText(QStringLiteral("张三"));
    m_notes.clear();
    QTest::mouseClick(window->control(MainIds::kGenerate), Qt::LeftButton);
    EXPECT_EQ(m_notes.texts(), QStringList{serverAway});
    EXPECT_EQ(GetCtrlText(window, MainIds::kResult), QString());
    EXPECT_EQ(templateRows(), 0);

    ASSERT_TRUE(cluster.resume());
    m_notes.clear();
    QTest::mouseClick(window->control(MainIds::kGenerate), Qt::LeftButton);
    EXPECT_TRUE(m_notes.notices().isEmpty()) << m_notes.texts().join('\n').toStdString();
    EXPECT_EQ(templateRows(), 1);
    EXPECT_EQ(window->control<QLineEdit>(MainIds::kTemplateName)->text(),
              QStringLiteral("编号模板"));
    EXPECT_EQ(company->count(), 1);
    EXPECT_TRUE(GetCtrlText(window, MainIds::kResult)
                    .endsWith(QStringLiteral("LZ%1-000001|张三|甲公司")
                                  .arg(QDate::currentDate().year())))
        << GetCtrlText(window, MainIds::kResult).toStdString();
    m_window->close();
    m_window.reset();
}

} // namespace
