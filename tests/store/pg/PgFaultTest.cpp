#include "PgTestCluster.h"

#include "RecordingNotifier.h"

#include "register/CertificateRegister.h"
#include "store/CDbVisit.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgLibraryStore.h"
#include "store/pg/PgRecordSet.h"

#include <gtest/gtest.h>

namespace {

const QString kCompanyTable = QStringLiteral("company_item_table");

// A server of its own, so that stopping it disturbs no other test.
class PgFaultTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_cluster.isValid()) << m_cluster.output().toStdString();
        m_db = std::make_unique<PgTestDatabase>(m_cluster.info());
        ASSERT_TRUE(m_db->isValid());
        QString error;
        m_connection = m_db->openInitialized(&error);
        ASSERT_TRUE(m_connection) << error.toStdString();
    }

    void TearDown() override
    {
        m_connection.reset();
        m_db.reset();
    }

    QStringList defaults()
    {
        QStringList names;
        auto records = m_connection->execute(
            QStringLiteral("select * from company_item_table where item1='默认'"), nullptr);
        for (; records && !records->isEof(); records->moveNext()) {
            names << records->collect(QStringLiteral("item3"));
        }
        return names;
    }

    PgOwnCluster m_cluster;
    std::unique_ptr<PgTestDatabase> m_db;
    std::shared_ptr<PgConnection> m_connection;
};

TEST_F(PgFaultTest, ServerStoppedMidRunLeavesNoHalfDoneBookkeepingAndTheNextActionWorks)
{
    auto outcome = PgLibraryStore::remember(*m_connection, {{kCompanyTable, "甲"}}, 2026);
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();

    // Stopped in the middle of a transaction: the default mark was cleared but not yet moved.
    QString error;
    ASSERT_TRUE(m_connection->begin({kCompanyTable}, &error));
    ASSERT_TRUE(m_connection->execute(
        QStringLiteral("UPDATE company_item_table SET item1 = '' WHERE itemid=1"), &error));
    ASSERT_TRUE(m_cluster.halt());
    EXPECT_FALSE(m_connection->execute(
        QStringLiteral("insert into company_item_table (item1,item3) values ('默认','乙')"),
        &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(m_connection->commit(&error));

    // While it is down, an action fails with one message and no hang.
    outcome = PgLibraryStore::remember(*m_connection, {{kCompanyTable, "丙"}}, 2026);
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.error.isEmpty());

    ASSERT_TRUE(m_cluster.resume());
    outcome = PgLibraryStore::remember(*m_connection, {{kCompanyTable, "丁"}}, 2026);
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
    EXPECT_EQ(outcome.registerSeq, 2); // the failed runs used no number
    EXPECT_EQ(defaults(), QStringList{QStringLiteral("丁")});
    auto all = m_connection->execute(QStringLiteral("select count(*) as n from company_item_table"),
                                     nullptr);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->collectInt(QStringLiteral("n")), 2); // 甲 and 丁, nothing of 乙 or 丙
}

TEST_F(PgFaultTest, RegisterEntryDuringAnOutageFailsOnceAndNumbersGoOnWithoutAGap)
{
    QString error;
    const auto reg = Register::CertificateRegister::openServer(m_db->conninfo(), &error);
    ASSERT_TRUE(reg) << error.toStdString();
    reg->setClock([] { return QDateTime(QDate(2026, 5, 4), QTime(9, 0), Qt::UTC); });
    const auto issue = [&] {
        Register::NewEntry e;
        e.values = {{QStringLiteral("姓名"), QStringLiteral("张三")}};
        const auto made = reg->addEntry(
            e, [](const QString& n) { return n; }, &error);
        return made ? made->number : QString();
    };
    EXPECT_EQ(issue(), QStringLiteral("LZ2026-000001"));
    ASSERT_TRUE(m_cluster.halt());
    EXPECT_EQ(issue(), QString());
    EXPECT_TRUE(error.contains(PgConnection::kConnectionLost)) << error.toStdString();
    ASSERT_TRUE(m_cluster.resume());
    EXPECT_EQ(issue(), QStringLiteral("LZ2026-000002")) << error.toStdString();
    EXPECT_EQ(reg->count({}, &error), 2);
}

// An entry commits without waiting for the disk and is reported only once what follows it has
// waited: a server stopped at once right after the last one keeps every entry reported.
TEST_F(PgFaultTest, EveryEntryReportedSurvivesTheServerStoppingAtOnce)
{
    QString error;
    const auto reg = Register::CertificateRegister::openServer(m_db->conninfo(), &error);
    ASSERT_TRUE(reg) << error.toStdString();
    QStringList numbers;
    for (int i = 0; i < 20; ++i) {
        Register::NewEntry e;
        e.values = {{QStringLiteral("姓名"), QStringLiteral("客户%1").arg(i)}};
        const auto made = reg->addEntry(
            e, [](const QString& n) { return n; }, &error);
        ASSERT_TRUE(made) << error.toStdString();
        numbers << made->number;
    }
    ASSERT_TRUE(m_cluster.halt());
    ASSERT_TRUE(m_cluster.resume());
    m_connection = PgConnection::open(m_db->conninfo(), &error);
    ASSERT_TRUE(m_connection) << error.toStdString();
    const auto kept = m_connection->query(
        "select string_agg(e.number, ' ' order by e.id) from register_entry e"
        " join register_version v on v.entry_id = e.id and v.link is not null",
        {}, &error);
    ASSERT_TRUE(kept && !kept->isEof()) << error.toStdString();
    EXPECT_EQ(kept->text(0).toStdString(), numbers.join(QLatin1Char(' ')).toStdString());
}

TEST_F(PgFaultTest, GenerateDuringAnOutageGivesOneMessageChangesNothingAndTheNextOneWorks)
{
    RecordingNotifier notes;
    CDbVisit db;
    db.m_pConnection = db.ConnectServer(m_db->conninfo());
    ASSERT_TRUE(db.m_pConnection);
    EXPECT_TRUE(db.RememberLibraryValues({{kCompanyTable, QStringLiteral("甲")}}));
    ASSERT_TRUE(notes.notices().isEmpty()) << notes.texts().join('\n').toStdString();

    ASSERT_TRUE(m_cluster.halt());
    EXPECT_FALSE(db.RememberLibraryValues({{kCompanyTable, QStringLiteral("乙")}}));
    ASSERT_EQ(notes.notices().size(), 1) << notes.texts().join('\n').toStdString();
    EXPECT_TRUE(notes.texts().first().startsWith(PgConnection::kConnectionLost))
        << notes.texts().first().toStdString();
    // With no value to keep the server is asked all the same: the outage shows here too.
    notes.clear();
    EXPECT_FALSE(db.RememberLibraryValues({{kCompanyTable, QString()}}));
    EXPECT_EQ(notes.texts(), QStringList{PgConnection::kConnectionLost});

    ASSERT_TRUE(m_cluster.resume());
    notes.clear();
    EXPECT_TRUE(db.RememberLibraryValues({{kCompanyTable, QStringLiteral("丙")}}));
    EXPECT_TRUE(notes.notices().isEmpty()) << notes.texts().join('\n').toStdString();
    // Checked on a connection of its own: the fixture's one went down with the server too.
    QString error;
    m_connection = PgConnection::open(m_db->conninfo(), &error);
    ASSERT_TRUE(m_connection) << error.toStdString();
    EXPECT_EQ(defaults(), QStringList{QStringLiteral("丙")});
    auto all = m_connection->execute(
        QStringLiteral("select count(*) as n from company_item_table where item3 = '乙'"), nullptr);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->collectInt(QStringLiteral("n")), 0);
}

} // namespace
