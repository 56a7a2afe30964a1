#include "PgTestCluster.h"
#include "RecordingNotifier.h"
#include "TempLibrary.h"

#include "store/CDbVisit.h"
#include "store/LibraryFile.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgImport.h"
#include "store/pg/PgRecordSet.h"
#include "store/pg/PgSchema.h"
#include "ui/main/CkavriDlg.h"

#include <QFile>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
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
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_userConfig.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, m_systemConfig.path());
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
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("kavri"),
                           QStringLiteral("kavri"));
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
    EXPECT_TRUE(m_notes.notices().first().text.startsWith(QStringLiteral("kavri.conf 中不能写密码")));
    EXPECT_EQ(templateRows(), 0);
}

TEST_F(TeamWindowTest, ReachableServerFillsTheWindowAndNamesTheLibrary)
{
    PgTestDatabase server;
    ASSERT_TRUE(server.isValid()) << "no test cluster (fixture pg_cluster)";
    QString error;
    const auto admin = PgConnection::open(server.conninfo(), &error);
    ASSERT_TRUE(admin && PgSchema::init(*admin, &error)) << error.toStdString();
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

} // namespace
