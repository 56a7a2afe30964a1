// The desks' signing keys on a team's server: the administrator lists them with kavri-cli,
// clerks read them, and verify-scan on any desk of the team knows them.
#include "PgTestCluster.h"
#include "TeamCli.h"
#include "scan/ScanFixtures.h"

#include "register/PgDeskKeys.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgSchema.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class DeskKeysTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_db.isValid()) << "no test cluster (fixture pg_cluster)";
        ASSERT_TRUE(m_dir.isValid());
        QString error;
        m_server = m_db.openInitialized(&error);
        ASSERT_TRUE(m_server) << error.toStdString();
        m_pem = m_dir.filePath(QStringLiteral("desk1.pem"));
        QFile out(m_pem);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(ScanTest::ownKey().publicPem());
    }

    CliRun server(QStringList args)
    {
        args.prepend(QStringLiteral("server"));
        args << QStringLiteral("--server") << m_db.conninfo();
        return runCli(args, withConfigHome(m_dir.path()));
    }

    PgTestDatabase m_db;
    QTemporaryDir m_dir;
    std::shared_ptr<PgConnection> m_server;
    QString m_pem;
};

} // namespace

TEST_F(DeskKeysTest, TheAdministratorListsKeysAndClerksOnlyReadThem)
{
    const QString id = Seal::keyIdText(ScanTest::ownKey().keyId());
    const CliRun added = server({"trust-key", m_pem, "--name", QStringLiteral("一号工作站")});
    ASSERT_EQ(added.status, 0) << added.errText().toStdString();
    EXPECT_EQ(added.outText(), QStringLiteral("已在服务器上登记“一号工作站”的公钥，密钥编号 %1。\n").arg(id));
    EXPECT_EQ(server({"keys"}).outText(), id + QStringLiteral("\t一号工作站\n"));

    const QString clerk = m_db.addLogin(QStringLiteral("clerk"), QStringLiteral("pw"), PgSchema::kClerkRole);
    ASSERT_FALSE(clerk.isEmpty());
    QString error;
    auto asClerk = PgConnection::open(m_db.conninfo(clerk, QStringLiteral("pw")), &error);
    ASSERT_TRUE(asClerk) << error.toStdString();
    const auto seen = Register::PgDeskKeys::list(*asClerk, &error);
    ASSERT_TRUE(seen) << error.toStdString();
    ASSERT_EQ(seen->size(), 1);
    EXPECT_EQ(seen->first().label, QStringLiteral("一号工作站"));
    EXPECT_FALSE(Register::PgDeskKeys::add(*asClerk, {QStringLiteral("0123456789abcdef"),
                                                      QStringLiteral("假"), QStringLiteral("x")},
                                           &error));
    EXPECT_EQ(asClerk->lastSqlState(), QStringLiteral("42501"));

    const CliRun removed = server({"untrust-key", id});
    EXPECT_EQ(removed.status, 0) << removed.errText().toStdString();
    EXPECT_EQ(server({"keys"}).outText(), QString());
    EXPECT_EQ(server({"untrust-key", id}).status, 1);
    EXPECT_EQ(server({"trust-key", m_dir.filePath(QStringLiteral("missing.pem"))}).status, 2);
}

TEST_F(DeskKeysTest, VerifyScanOnATeamDeskKnowsTheListedKeys)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("kavri")));
    QFile conf(m_dir.filePath(QStringLiteral("kavri/kavri.conf")));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("[library]\nserver=\"" + m_db.conninfo().toUtf8() + "\"\n");
    conf.close();
    const QString scan = m_dir.filePath(QStringLiteral("scan.png"));
    ASSERT_TRUE(ScanTest::codeImage(
                    Seal::encodeQr(ScanTest::seal(ScanTest::ownKey(), ScanTest::values(),
                                                  ScanTest::certificateText())
                                       .payload))
                    .save(scan, "PNG"));
    const CliSetup team = withConfigHome(m_dir.path());
    EXPECT_EQ(runCli({"verify-scan", scan}, team).status, 3);
    ASSERT_EQ(server({"trust-key", m_pem, "--name", QStringLiteral("一号工作站")}).status, 0);
    const CliRun known = runCli({"verify-scan", scan}, team);
    EXPECT_EQ(known.status, 0) << known.outText().toStdString() << known.errText().toStdString();
    EXPECT_TRUE(known.outText().startsWith(
        QStringLiteral("真实：签名有效，由受信任单位“一号工作站”的密钥签署。")));
}
