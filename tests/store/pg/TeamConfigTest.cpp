#include "store/pg/TeamConfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class TeamConfigTest : public ::testing::Test
{
protected:
    TeamConfig::Choice readText(const QByteArray& text)
    {
        const QString path = m_dir.filePath(QStringLiteral("kavri.conf"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        file.close();
        return TeamConfig::readFile(path);
    }

    QTemporaryDir m_dir;
};

TEST_F(TeamConfigTest, NoFileOrNoKeyMeansTheLocalFile)
{
    EXPECT_FALSE(TeamConfig::readFile(m_dir.filePath(QStringLiteral("none.conf"))).team);
    EXPECT_FALSE(readText("[library]\n").team);
    EXPECT_FALSE(readText("[other]\nserver=service=x\n").team);
}

TEST_F(TeamConfigTest, ServiceNameOrConnectionTextNamesTheServer)
{
    TeamConfig::Choice choice = readText("[library]\nserver=service=kavri-hr\n");
    EXPECT_TRUE(choice.team);
    EXPECT_EQ(choice.conninfo, QStringLiteral("service=kavri-hr"));
    EXPECT_TRUE(choice.error.isEmpty());
    choice =
        readText("[library]\nserver=\"host=db.example.org dbname=kavri sslmode=verify-full\"\n");
    EXPECT_EQ(choice.conninfo,
              QStringLiteral("host=db.example.org dbname=kavri sslmode=verify-full"));
    EXPECT_TRUE(choice.error.isEmpty());
}

TEST_F(TeamConfigTest, PasswordInKavrisFileIsRefused)
{
    const TeamConfig::Choice choice =
        readText("[library]\nserver=\"host=db dbname=kavri password=secret\"\n");
    EXPECT_TRUE(choice.team);
    EXPECT_EQ(choice.error, QStringLiteral("kavri.conf 中不能写密码：请把密码写在 ~/.pgpass 或 "
                                           "pg_service.conf 中。"));
}

TEST_F(TeamConfigTest, UnreadableConnectionTextIsRefused)
{
    const TeamConfig::Choice choice = readText("[library]\nserver=host\n");
    EXPECT_TRUE(choice.team);
    EXPECT_TRUE(choice.error.startsWith(QStringLiteral("kavri.conf 中的服务器连接文字无法读懂")));
}

TEST_F(TeamConfigTest, TheUsersKavriConfWinsOverTheMachinesAndNoOtherFileIsRead)
{
    const QString user = m_dir.filePath(QStringLiteral("user"));
    const QString machine = m_dir.filePath(QStringLiteral("machine"));
    const auto write = [](const QString& path, const QByteArray& text) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    };
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(user));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(machine));
    // QSettings' own name for the file would be kavri.ini: such a file is not the configuration.
    write(user + QStringLiteral("/kavri/kavri.ini"), "[library]\nserver=service=ini\n");
    EXPECT_FALSE(TeamConfig::read().team);
    write(machine + QStringLiteral("/kavri/kavri.conf"), "[library]\nserver=service=all\n");
    EXPECT_EQ(TeamConfig::read().conninfo, QStringLiteral("service=all"));
    write(user + QStringLiteral("/kavri/kavri.conf"), "[library]\nserver=service=mine\n");
    EXPECT_EQ(TeamConfig::read().conninfo, QStringLiteral("service=mine"));
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_CONFIG_DIRS");
}

} // namespace
