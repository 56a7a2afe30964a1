// kavri-cli server import of a desk's register (and library) to a team server, and kavri-cli
// register reading the team's register once kavri.conf names the server.
#include "PgTestCluster.h"
#include "TeamCli.h"
#include "TempLibrary.h"

#include "register/CertificateRegister.h"
#include "register/RegisterFiles.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgRecordSet.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Register;

namespace {

CliRun cli(const QStringList& args, const QString& configHome = QString())
{
    return runCli(args, configHome.isEmpty() ? CliSetup{} : withConfigHome(configHome));
}

NewEntry leaver(const QString& name)
{
    NewEntry e;
    e.templateName = QStringLiteral("标准模板");
    e.templateText = QStringLiteral("【姓名】【证明编号】");
    e.values = {{QStringLiteral("姓名"), name}, {QStringLiteral("离职日期"), "2025-06-30"}};
    return e;
}

class ServerImportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_db.isValid()) << "no test cluster (fixture pg_cluster)";
        ASSERT_TRUE(m_library.isValid() && m_desk.isValid());
        QString error;
        m_server = m_db.openInitialized(&error);
        ASSERT_TRUE(m_server) << error.toStdString();
        m_register = m_desk.filePath(QStringLiteral("kavri_register.db"));
    }

    // A desk's register: two entries of 2025, one of 2026 with an edited reprint; 2026's
    // high-water mark stands at 7 (entries deleted or an older copy restored since).
    void fillDesk()
    {
        QString error;
        auto reg = CertificateRegister::open(m_register, &error);
        ASSERT_TRUE(reg) << error.toStdString();
        const auto make = [&](int year, const QString& name) {
            const QDateTime when(QDate(year, 7, 1), QTime(9, 30), Qt::UTC);
            reg->setClock([when] { return when; });
            return reg->addEntry(
                leaver(name), [name](const QString& n) { return name + QStringLiteral("|") + n; },
                &error);
        };
        ASSERT_TRUE(make(2025, QStringLiteral("甲")));
        ASSERT_TRUE(make(2025, QStringLiteral("乙")));
        const auto c = make(2026, QStringLiteral("丙"));
        ASSERT_TRUE(c) << error.toStdString();
        ASSERT_TRUE(reg->recordEvent(c->id, EventKind::Copied, c->text, &error));
        ASSERT_TRUE(reg->recordEvent(c->id, EventKind::Printed, c->text + "（改）", &error));
        ASSERT_TRUE(raiseHighWaterMark(sequencePathFor(m_register), 2026, 7, &error));
    }

    int count(const QString& table)
    {
        auto rows = m_server->query("select count(*) from " + table.toUtf8(), {}, nullptr);
        return rows ? int(rows->int64(0)) : -1;
    }

    PgTestDatabase m_db;
    TempLibrary m_library;
    QTemporaryDir m_desk;
    QString m_register;
    std::shared_ptr<PgConnection> m_server;
};

TEST_F(ServerImportTest, LibraryAndRegisterGoUpWithTheirNumbersAndNewOnesFollow)
{
    fillDesk();
    const CliRun r =
        cli({QStringLiteral("server"), QStringLiteral("import"), QStringLiteral("--library"),
             m_library.path(), QStringLiteral("--register"), m_register, QStringLiteral("--server"),
             m_db.conninfo()});
    ASSERT_EQ(r.status, 0) << r.errText().toStdString();
    EXPECT_TRUE(r.outText().contains(QStringLiteral("已将 3 条登记复制到")))
        << r.outText().toStdString();
    EXPECT_GT(count(QStringLiteral("moban_item_table")), 0);

    QString error;
    auto team = CertificateRegister::openServer(m_db.conninfo(), &error);
    ASSERT_TRUE(team) << error.toStdString();
    const auto c = team->entryByNumber(QStringLiteral("LZ2026-000001"), &error);
    ASSERT_TRUE(c) << error.toStdString();
    EXPECT_EQ(c->summary.name, QStringLiteral("丙"));
    EXPECT_EQ(c->summary.createdAt, QDateTime(QDate(2026, 7, 1), QTime(9, 30), Qt::UTC));
    EXPECT_TRUE(c->summary.issued);
    EXPECT_EQ(c->summary.lastEventKey, QStringLiteral("printed"));
    ASSERT_EQ(c->versions.size(), 2);
    EXPECT_EQ(c->versions[0].text, QStringLiteral("丙|LZ2026-000001"));
    EXPECT_EQ(c->versions[1].text, QStringLiteral("丙|LZ2026-000001（改）"));
    ASSERT_EQ(c->events.size(), 2);
    EXPECT_EQ(c->events[1].versionNo, 2);
    EXPECT_EQ(c->values.size(), 2);
    const auto b = team->entryByNumber(QStringLiteral("LZ2025-000002"), &error);
    ASSERT_TRUE(b) << error.toStdString();
    EXPECT_FALSE(b->summary.issued);
    EXPECT_EQ(b->summary.leaveDay, QDate(2025, 6, 30));

    // New numbers continue above what the desk ever gave: 2026 above its mark 7, 2025 above 2;
    // the numbers the desk gave and no longer holds are recorded as missing from the copy, so
    // that the server's audit accounts for every one.
    const auto counter = [&](int year) {
        auto rows = m_server->query("select last_seq from register_counter where year = $1::int",
                                    {QString::number(year)}, nullptr);
        return rows && !rows->isEof() ? rows->int64(0) : -1;
    };
    EXPECT_EQ(counter(2026), 7);
    EXPECT_EQ(counter(2025), 2);
    auto missing = m_server->query("select reason || ' ' || numbers from register_deletion", {},
                                   &error);
    ASSERT_TRUE(missing && !missing->isEof()) << error.toStdString();
    EXPECT_EQ(missing->text(0), QStringLiteral("imported LZ2026-000002 LZ2026-000003 LZ2026-000004"
                                               " LZ2026-000005 LZ2026-000006 LZ2026-000007"));
    const auto audited = team->audit({}, &error);
    ASSERT_TRUE(audited) << error.toStdString();
    EXPECT_TRUE(audited->intact) << audited->problem.toStdString();
    if (QDate::currentDate().year() == 2026) {
        const auto made = team->addEntry(
            leaver(QStringLiteral("丁")), [](const QString& n) { return n; }, &error);
        ASSERT_TRUE(made) << error.toStdString();
        EXPECT_EQ(made->number, QStringLiteral("LZ2026-000008"));
    }
}

TEST_F(ServerImportTest, ARegisterThatCannotGoUpLeavesTheLibraryDownToo)
{
    fillDesk();
    // The server's register already holds an entry: the whole import is refused.
    QString error;
    auto team = CertificateRegister::openServer(m_db.conninfo(), &error);
    ASSERT_TRUE(team &&
                team->addEntry(
                    leaver(QStringLiteral("戊")), [](const QString& n) { return n; }, &error))
        << error.toStdString();
    const CliRun r =
        cli({QStringLiteral("server"), QStringLiteral("import"), QStringLiteral("--library"),
             m_library.path(), QStringLiteral("--register"), m_register, QStringLiteral("--server"),
             m_db.conninfo()});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.errText().contains(QStringLiteral("已有条目"))) << r.errText().toStdString();
    EXPECT_EQ(count(QStringLiteral("moban_item_table")), 0);
    EXPECT_EQ(count(QStringLiteral("register_entry")), 1);

    // A register path that holds nothing is refused, and no register is made there.
    const QString missing = m_desk.filePath(QStringLiteral("none.db"));
    const CliRun none =
        cli({QStringLiteral("server"), QStringLiteral("import"), QStringLiteral("--register"),
             missing, QStringLiteral("--server"), m_db.conninfo()});
    EXPECT_EQ(none.status, 1);
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_FALSE(QFileInfo::exists(keyPathFor(missing)));
}

TEST_F(ServerImportTest, RegisterCommandsReadTheTeamsRegisterWhenKavriConfNamesTheServer)
{
    fillDesk();
    ASSERT_EQ(cli({QStringLiteral("server"), QStringLiteral("import"), QStringLiteral("--register"),
                   m_register, QStringLiteral("--server"), m_db.conninfo()})
                  .status,
              0);
    QTemporaryDir config;
    ASSERT_TRUE(QDir(config.path()).mkpath(QStringLiteral("kavri")));
    QFile conf(config.filePath(QStringLiteral("kavri/kavri.conf")));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("[library]\nserver=\"" + m_db.conninfo().toUtf8() + "\"\n");
    conf.close();
    const CliRun r = cli({QStringLiteral("register"), QStringLiteral("list")}, config.path());
    ASSERT_EQ(r.status, 0) << r.errText().toStdString();
    const QStringList lines = r.outText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << r.outText().toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("LZ2026-000001\t丙")))
        << r.outText().toStdString();
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("LZ2025-000001\t甲")))
        << r.outText().toStdString();
}

} // namespace
