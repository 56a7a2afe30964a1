#include "PgServerTest.h"

#include "store/Statements.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgRecordSet.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kCompany = QStringLiteral("company_item_table");

class PgConnectionTest : public PgServerTest
{
protected:
    std::unique_ptr<PgRecordSet> run(const QString& statement)
    {
        QString error;
        auto records = m_connection->execute(statement, &error);
        EXPECT_TRUE(records) << statement.toStdString() << ": " << error.toStdString();
        return records;
    }

    QStringList names(const QString& table)
    {
        QStringList result;
        for (auto records = run(QStringLiteral("select * from %1 order by itemid").arg(table));
             records && !records->isEof(); records->moveNext()) {
            result << records->collect(QStringLiteral("ITEM3"));
        }
        return result;
    }
};

TEST_F(PgConnectionTest, ItemidComesFromTheServerAndUpidDefaultsToZero)
{
    run(Statements::insertPair(kCompany, QStringLiteral("item3"), QStringLiteral("甲"),
                               QStringLiteral("item8"), QString()));
    run(Statements::insertItems(kCompany, 10, QStringList(10), -1));
    auto records = run(QStringLiteral("select * from company_item_table order by itemid"));
    ASSERT_FALSE(records->isEof());
    EXPECT_EQ(records->collectInt(QStringLiteral("itemid")), 1);
    EXPECT_EQ(records->collect(QStringLiteral("upid")), QStringLiteral("0"));
    EXPECT_EQ(records->collect(QStringLiteral("item2")), QString()); // NULL reads as ""
    records->moveNext();
    EXPECT_EQ(records->collectInt(QStringLiteral("itemid")), 2);
    EXPECT_EQ(records->collectInt(QStringLiteral("upid")), -1);
    records->moveNext();
    EXPECT_TRUE(records->isEof());
}

TEST_F(PgConnectionTest, TruthValuesReadAsNumbers)
{
    run(Statements::insertItems(kCompany, 0, QStringList(), 0));
    auto records = run(QStringLiteral(
        "select item2 is null as yes, itemid is null as no from company_item_table"));
    ASSERT_FALSE(records->isEof());
    EXPECT_EQ(records->collect(QStringLiteral("yes")), QStringLiteral("1"));
    EXPECT_EQ(records->collectInt(QStringLiteral("yes")), 1);
    EXPECT_EQ(records->collect(QStringLiteral("no")), QStringLiteral("0"));
}

TEST_F(PgConnectionTest, FailureGivesTheServersMessage)
{
    QString error;
    EXPECT_FALSE(m_connection->execute(QStringLiteral("select * from nosuch_table"), &error));
    EXPECT_EQ(error, QStringLiteral("relation \"nosuch_table\" does not exist"));
}

TEST_F(PgConnectionTest, SecondStatementIsRefusedAndNothingRuns)
{
    run(Statements::insertPair(kCompany, QStringLiteral("item3"), QStringLiteral("甲"),
                               QStringLiteral("item8"), QString()));
    QString error;
    EXPECT_FALSE(m_connection->execute(
        QStringLiteral("update company_item_table set item3='乙'; delete from company_item_table"),
        &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(names(kCompany), QStringList{QStringLiteral("甲")});
}

TEST_F(PgConnectionTest, NulAndBrokenSurrogatesAreRefusedBeforeTheServer)
{
    QString error;
    QString withNul = QStringLiteral("insert into company_item_table (item3) values ('a");
    withNul += QChar(0) + QStringLiteral("b')");
    EXPECT_FALSE(m_connection->execute(withNul, &error));
    EXPECT_EQ(error, PgConnection::kInvalidText);
    const QString lone = QStringLiteral("insert into company_item_table (item3) values ('") +
                         QChar(0xD800) + QStringLiteral("')");
    EXPECT_FALSE(m_connection->execute(lone, &error));
    EXPECT_TRUE(names(kCompany).isEmpty());
}

TEST_F(PgConnectionTest, CommitAfterAFailedStatementWritesNothing)
{
    QString error;
    ASSERT_TRUE(m_connection->begin({kCompany}, &error));
    run(Statements::insertPair(kCompany, QStringLiteral("item3"), QStringLiteral("甲"),
                               QStringLiteral("item8"), QString()));
    EXPECT_FALSE(
        m_connection->execute(QStringLiteral("select nosuch from company_item_table"), &error));
    EXPECT_FALSE(m_connection->commit(&error));
    EXPECT_EQ(error, PgConnection::kRolledBack);
    EXPECT_TRUE(names(kCompany).isEmpty());
}

TEST_F(PgConnectionTest, LostConnectionFailsOnceThenTheNextStatementReconnects)
{
    auto pid = run(QStringLiteral("select pg_backend_pid() as pid"));
    const QString backend = pid->collect(QStringLiteral("pid"));
    ASSERT_TRUE(m_db.run({QStringLiteral("select pg_terminate_backend(%1)").arg(backend)}));
    QString error;
    EXPECT_FALSE(m_connection->execute(Statements::selectAll(kCompany), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(m_connection->execute(Statements::selectAll(kCompany), &error))
        << error.toStdString();
}

TEST_F(PgConnectionTest, LostConnectionInsideATransactionWritesNothing)
{
    QString error;
    ASSERT_TRUE(m_connection->begin({kCompany}, &error));
    auto pid = run(QStringLiteral("select pg_backend_pid() as pid"));
    run(Statements::insertPair(kCompany, QStringLiteral("item3"), QStringLiteral("甲"),
                               QStringLiteral("item8"), QString()));
    ASSERT_TRUE(
        m_db.run({QStringLiteral("select pg_terminate_backend(%1)").arg(pid->collect("pid"))}));
    EXPECT_FALSE(m_connection->execute(Statements::selectAll(kCompany), &error));
    EXPECT_FALSE(m_connection->commit(&error));
    EXPECT_FALSE(m_connection->inTransaction());
    EXPECT_TRUE(names(kCompany).isEmpty());
}

class PgConnectFailure : public ::testing::Test
{
protected:
    PgTestDatabase m_db;
};

TEST_F(PgConnectFailure, WrongPasswordIsRefused)
{
    ASSERT_TRUE(m_db.isValid());
    const QString clerk = m_db.addLogin(QStringLiteral("clerk"), QStringLiteral("right"),
                                        QStringLiteral("pg_read_all_data"));
    ASSERT_FALSE(clerk.isEmpty());
    QString error;
    EXPECT_TRUE(PgConnection::open(m_db.conninfo(clerk, QStringLiteral("right")), &error))
        << error.toStdString();
    EXPECT_FALSE(PgConnection::open(m_db.conninfo(clerk, QStringLiteral("wrong")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("password authentication failed")))
        << error.toStdString();
}

TEST_F(PgConnectFailure, UnreachableHostFailsWithinTheConnectTimeout)
{
    QElapsedTimer timer;
    timer.start();
    QString error;
    // A closed port on the loopback and an address no route leads to.
    EXPECT_FALSE(PgConnection::open(QStringLiteral("host=127.0.0.1 port=1 dbname=x"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(PgConnection::open(QStringLiteral("host=10.255.255.1 dbname=x"), &error));
    EXPECT_FALSE(error.isEmpty());
    // Not a speed target: a hang check. Both together must end well before a user gives up.
    EXPECT_LT(timer.elapsed(), 3 * PgConnection::kConnectTimeoutSeconds * 1000);
}

TEST_F(PgConnectFailure, MalformedConnectionTextIsRefused)
{
    QString error;
    EXPECT_FALSE(PgConnection::open(QStringLiteral("host"), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(PgConnectFailure, ServiceNameNamesTheLibrary)
{
    ASSERT_TRUE(m_db.isValid());
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("pg_service.conf")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        QStringLiteral("[kavri-hr]\nhost=%1\nport=%2\ndbname=%3\nuser=%4\n")
            .arg(m_db.cluster().host, m_db.cluster().port, m_db.name(), m_db.cluster().superuser)
            .toUtf8());
    file.close();
    qputenv("PGSERVICEFILE", file.fileName().toUtf8());
    QString error;
    const auto connection = PgConnection::open(QStringLiteral("service=kavri-hr"), &error);
    qunsetenv("PGSERVICEFILE");
    ASSERT_TRUE(connection) << error.toStdString();
    EXPECT_EQ(connection->libraryName(), QStringLiteral("kavri-hr"));
    const auto direct = PgConnection::open(m_db.conninfo(), &error);
    ASSERT_TRUE(direct);
    EXPECT_EQ(direct->libraryName(), m_db.name());
}

// The connect timeout is the administrator's where one is named: in the connection text (as
// kavri.conf holds it), in the service, or in the user's environment; kavri's 5 s elsewhere.
TEST_F(PgConnectFailure, ConnectTimeoutNamedByTheTextTheServiceOrTheEnvironmentWins)
{
    ASSERT_TRUE(m_db.isValid());
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("pg_service.conf")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QString server = QStringLiteral("host=%1\nport=%2\ndbname=%3\nuser=%4\n")
                               .arg(m_db.cluster().host, m_db.cluster().port, m_db.name(),
                                    m_db.cluster().superuser);
    file.write((QStringLiteral("[timed]\nconnect_timeout=17\n") + server +
                QStringLiteral("[plain]\n") + server)
                   .toUtf8());
    file.close();
    qputenv("PGSERVICEFILE", file.fileName().toUtf8());
    const QByteArray environment = qgetenv("PGCONNECT_TIMEOUT");
    const struct
    {
        const char* conninfo;
        const char* environment; // PGCONNECT_TIMEOUT for this connect, null: as it was
        const char* timeout;
    } cases[] = {
        {"service=timed", nullptr, "17"},
        {"service=timed connect_timeout=9", nullptr, "9"},
        {"service=plain connect_timeout=9", nullptr, "9"},
        {"service=plain", "11", "11"},
        {"service=timed", "11", "17"},
        {"service=plain", nullptr, "5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.conninfo);
        // The fixture's connect, the process's first, put kavri's default into the environment
        // where it held none; each case that changes it puts back what was there.
        if (c.environment) {
            qputenv("PGCONNECT_TIMEOUT", c.environment);
        }
        QString error;
        const auto connection = PgConnection::open(QString::fromLatin1(c.conninfo), &error);
        if (c.environment) {
            environment.isNull() ? qunsetenv("PGCONNECT_TIMEOUT")
                                 : qputenv("PGCONNECT_TIMEOUT", environment);
        }
        ASSERT_TRUE(connection) << error.toStdString();
        EXPECT_EQ(connection->setting("connect_timeout"), QString::fromLatin1(c.timeout));
    }
    qunsetenv("PGSERVICEFILE");
}

} // namespace

namespace {

// The batches prepare a text once per connection: the same text twice in one batch, a text
// that the server refuses to prepare, and a connection opened again after it was cut.
TEST_F(PgConnectionTest, BatchesPrepareEachTextOnceAndSurviveARefusedOneAndAReconnect)
{
    const QByteArray insert = "insert into company_item_table (item3) values ($1)";
    const auto prepared = [this] {
        QString error;
        auto rows = m_connection->query("select count(*) from pg_prepared_statements", {}, &error);
        return rows && !rows->isEof() ? int(rows->int64(0)) : -1;
    };
    auto outcome = m_connection->runBatch({kCompany}, {{insert, {"甲"}}, {insert, {"乙"}}}, false);
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
    EXPECT_EQ(names(kCompany), (QStringList{"甲", "乙"}));
    // BEGIN, the bounded waits, the lock, the insert and COMMIT.
    EXPECT_EQ(prepared(), 5);

    outcome = m_connection->runBatch(
        {kCompany}, {{insert, {"丙"}}, {"update company_item_table set nothing = $1", {"x"}}},
        false);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.failedAt, 1);
    EXPECT_EQ(outcome.error, QStringLiteral("column \"nothing\" of relation "
                                            "\"company_item_table\" does not exist"));
    EXPECT_FALSE(m_connection->inTransaction());
    EXPECT_EQ(prepared(), 5);

    auto pid = run(QStringLiteral("select pg_backend_pid() as pid"));
    ASSERT_TRUE(
        m_db.run({QStringLiteral("select pg_terminate_backend(%1)").arg(pid->collect("pid"))}));
    outcome = m_connection->runBatch({kCompany}, {{insert, {"丁"}}}, true);
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
    EXPECT_EQ(names(kCompany), (QStringList{"甲", "乙", "丁"}));
}

} // namespace

namespace {

// What follows a batch in its own transaction: it never undoes the batch, runs only after one
// that went through, and says whether it went through itself.
TEST_F(PgConnectionTest, WhatFollowsABatchRunsOnItsOwnAndReportsItsOutcome)
{
    const QByteArray insert = "insert into company_item_table (item3) values ($1)";
    struct Case
    {
        const char* what;
        QByteArray batch; // the batch's second statement
        QByteArray then;  // what follows it
        bool ok;
        bool thenOk;
        QStringList names; // afterwards
        const char* thenError;
    };
    const Case cases[] = {
        {"both go through", "select 1", "insert into company_item_table (item3) values ('乙')",
         true, true, {"甲", "乙"}, ""},
        {"what follows fails: the batch stays", "select 1",
         "insert into company_item_table (nothing) values ('乙')", true, false, {"甲"},
         "column \"nothing\" of relation \"company_item_table\" does not exist"},
        {"the batch fails: what follows fails with it", "select nothing",
         "insert into company_item_table (item3) values ('乙')", false, false, {},
         "current transaction is aborted, commands ignored until end of transaction block"},
    };
    for (const Case& c : cases) {
        run(QStringLiteral("delete from company_item_table"));
        const PgConnection::BatchOutcome outcome =
            m_connection->runBatchThen({}, {{insert, {"甲"}}, {c.batch, {}}}, {{c.then, {}}},
                                       PgConnection::Commit::WaitsForDisk,
                                       PgConnection::Commit::WaitsForDisk);
        EXPECT_EQ(outcome.ok, c.ok) << c.what;
        EXPECT_EQ(outcome.thenOk, c.thenOk) << c.what;
        EXPECT_EQ(outcome.thenError, QString::fromUtf8(c.thenError)) << c.what;
        EXPECT_EQ(names(kCompany), c.names) << c.what;
        EXPECT_FALSE(m_connection->inTransaction()) << c.what;
    }
}

} // namespace

namespace {

// A batch that need not wait for the disk says so for its own transaction only: the next one
// waits again, as the server's setting says.
TEST_F(PgConnectionTest, AnAsynchronousCommitIsForItsOwnTransactionOnly)
{
    const QByteArray setting = "select current_setting('synchronous_commit')";
    const auto seen = [&](PgConnection::Commit commit) {
        const auto outcome = m_connection->runBatch({kCompany}, {{setting, {}}}, false, commit);
        EXPECT_TRUE(outcome.ok) << outcome.error.toStdString();
        return outcome.ok && outcome.rows[0] ? outcome.rows[0]->text(0) : QString();
    };
    EXPECT_EQ(seen(PgConnection::Commit::Asynchronous), QStringLiteral("off"));
    EXPECT_EQ(seen(PgConnection::Commit::WaitsForDisk), QStringLiteral("on"));
    const auto then = m_connection->runBatchThen({}, {{setting, {}}}, {{setting, {}}},
                                                 PgConnection::Commit::WaitsForDisk,
                                                 PgConnection::Commit::Asynchronous);
    EXPECT_TRUE(then.ok && then.thenOk) << then.error.toStdString();
    ASSERT_TRUE(then.rows[0]);
    EXPECT_EQ(then.rows[0]->text(0), QStringLiteral("on"));
    QString error;
    const auto after = m_connection->query(setting, {}, &error);
    ASSERT_TRUE(after && !after->isEof()) << error.toStdString();
    EXPECT_EQ(after->text(0), QStringLiteral("on"));
}

} // namespace
