#include "PgTestCluster.h"

#include "store/pg/PgBookkeeping.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgRecordSet.h"
#include "store/pg/PgSchema.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kCompany = QStringLiteral("company_item_table");

bool cluster(const QString& action, const QString& infoFile)
{
    return PgTestCluster::runScript(action, infoFile);
}

// A server of its own, so that stopping it disturbs no other test.
class PgFaultTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_info = m_dir.filePath(QStringLiteral("cluster.env"));
        QString output;
        ASSERT_TRUE(PgTestCluster::startCluster(m_info, &output)) << output.toStdString();
        m_db = std::make_unique<PgTestDatabase>(PgTestCluster::readInfo(m_info));
        ASSERT_TRUE(m_db->isValid());
        QString error;
        m_connection = PgConnection::open(m_db->conninfo(), &error);
        ASSERT_TRUE(m_connection) << error.toStdString();
        ASSERT_TRUE(PgSchema::init(*m_connection, &error)) << error.toStdString();
    }

    void TearDown() override
    {
        m_connection.reset();
        m_db.reset();
        PgTestCluster::stopCluster(m_info);
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

    QTemporaryDir m_dir;
    QString m_info;
    std::unique_ptr<PgTestDatabase> m_db;
    std::shared_ptr<PgConnection> m_connection;
};

TEST_F(PgFaultTest, ServerStoppedMidRunLeavesNoHalfDoneBookkeepingAndTheNextActionWorks)
{
    auto outcome = PgBookkeeping::remember(*m_connection, {{kCompany, "甲"}}, 2026);
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();

    // Stopped in the middle of a transaction: the default mark was cleared but not yet moved.
    QString error;
    ASSERT_TRUE(m_connection->begin({kCompany}, &error));
    ASSERT_TRUE(m_connection->execute(
        QStringLiteral("UPDATE company_item_table SET item1 = '' WHERE itemid=1"), &error));
    ASSERT_TRUE(cluster(QStringLiteral("halt"), m_info));
    EXPECT_FALSE(m_connection->execute(
        QStringLiteral("insert into company_item_table (item1,item3) values ('默认','乙')"),
        &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(m_connection->commit(&error));

    // While it is down, an action fails with one message and no hang.
    outcome = PgBookkeeping::remember(*m_connection, {{kCompany, "丙"}}, 2026);
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.error.isEmpty());

    ASSERT_TRUE(cluster(QStringLiteral("resume"), m_info));
    outcome = PgBookkeeping::remember(*m_connection, {{kCompany, "丁"}}, 2026);
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
    EXPECT_EQ(outcome.registerSeq, 2); // the failed runs used no number
    EXPECT_EQ(defaults(), QStringList{QStringLiteral("丁")});
    auto all = m_connection->execute(QStringLiteral("select count(*) as n from company_item_table"),
                                     nullptr);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->collectInt(QStringLiteral("n")), 2); // 甲 and 丁, nothing of 乙 or 丙
}

} // namespace
