#include "PgServerTest.h"

#include "store/pg/PgConnection.h"
#include "store/pg/PgLibraryStore.h"
#include "store/pg/PgRecordSet.h"

#include <gtest/gtest.h>

namespace {

const QString kCompanyLibrary = QStringLiteral("company_item_table");
const QString kReason = QStringLiteral("reason_item_bable");

class PgLibraryStoreTest : public PgServerTest
{
protected:
    void SetUp() override
    {
        PgServerTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(m_db.run({
            QStringLiteral("insert into company_item_table (item1,item3) values ('默认','甲')"),
            QStringLiteral("insert into company_item_table (item1,item3) values ('','乙')"),
        }));
    }

    // The transaction that last wrote each company row, in itemid order.
    QString versions()
    {
        QString error;
        const auto rows = m_connection->query(
            "select string_agg(xmin::text, ',' order by itemid) from company_item_table", {},
            &error);
        return rows && !rows->isEof() ? rows->text(0) : error;
    }

    // "name:mark:upid" of every row, in itemid order.
    QStringList rows(const QString& table)
    {
        QStringList result;
        auto records = m_connection->execute(
            QStringLiteral("select * from %1 order by itemid").arg(table), nullptr);
        for (; records && !records->isEof(); records->moveNext()) {
            result << records->collect(QStringLiteral("item3")) + QLatin1Char(':') +
                          records->collect(QStringLiteral("item1")) + QLatin1Char(':') +
                          records->collect(QStringLiteral("upid"));
        }
        return result;
    }
};

TEST_F(PgLibraryStoreTest, KnownValueTakesTheMarkAndNewValueIsAddedOnce)
{
    auto outcome = PgLibraryStore::remember(
        *m_connection,
        {{kCompanyLibrary, QStringLiteral("乙")}, {kReason, QStringLiteral("个人原因（家庭）")}}, 0);
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
    EXPECT_EQ(rows(kCompanyLibrary), (QStringList{"甲::0", "乙:默认:0"}));
    EXPECT_EQ(rows(kReason), QStringList{"个人原因（家庭）:默认:-1"});
    outcome =
        PgLibraryStore::remember(*m_connection, {{kReason, QStringLiteral("个人原因（家庭）")}}, 0);
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(rows(kReason), QStringList{"个人原因（家庭）:默认:-1"});
}

TEST_F(PgLibraryStoreTest, TheDefaultNamedAgainIsNotWrittenAgain)
{
    const QString before = versions();
    const auto outcome = PgLibraryStore::remember(*m_connection, {{kCompanyLibrary, "甲"}}, 0);
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
    EXPECT_EQ(rows(kCompanyLibrary), (QStringList{"甲:默认:0", "乙::0"}));
    EXPECT_EQ(versions(), before);
}

// An entry whose itemid is not positive is never the default: naming it adds one.
TEST_F(PgLibraryStoreTest, AnEntryWithoutAPositiveItemidNamedGivesANewDefault)
{
    ASSERT_TRUE(
        m_db.run({QStringLiteral("update company_item_table set item1 = '' where item3 = '甲'"),
                  QStringLiteral("insert into company_item_table (itemid, item1, item3)"
                                 " values (-5, '默认', '丙')")}));
    const auto outcome = PgLibraryStore::remember(*m_connection, {{kCompanyLibrary, "丙"}}, 0);
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
    EXPECT_EQ(rows(kCompanyLibrary), (QStringList{"丙::0", "甲::0", "乙::0", "丙:默认:-1"}));
}

TEST_F(PgLibraryStoreTest, EmptyValueLeavesItsLibraryAlone)
{
    const auto outcome = PgLibraryStore::remember(*m_connection, {{kCompanyLibrary, QString()}}, 0);
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(rows(kCompanyLibrary), (QStringList{"甲:默认:0", "乙::0"}));
}

TEST_F(PgLibraryStoreTest, AFailureHalfwayLeavesEveryLibraryAsItWas)
{
    // The company goes through, then a table without item columns fails: the company's change
    // goes too.
    const auto outcome = PgLibraryStore::remember(
        *m_connection,
        {{kCompanyLibrary, QStringLiteral("乙")}, {QStringLiteral("register_counter"), "x"}}, 0);
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.error.contains(QStringLiteral("does not exist")))
        << outcome.error.toStdString();
    // The failed statement is the second library's, with its value in its place.
    EXPECT_TRUE(
        outcome.failedStatement.contains(QStringLiteral("from register_counter where item3 = 'x'")))
        << outcome.failedStatement.toStdString();
    EXPECT_FALSE(outcome.failedStatement.contains(kCompanyLibrary));
    EXPECT_TRUE(rows(kCompanyLibrary) == (QStringList{"甲:默认:0", "乙::0"}));
    EXPECT_FALSE(m_connection->inTransaction());
}

TEST_F(PgLibraryStoreTest, RegisterNumbersFollowOnePerGenerate)
{
    for (int expected = 1; expected <= 3; ++expected) {
        const auto outcome =
            PgLibraryStore::remember(*m_connection, {{kCompanyLibrary, QStringLiteral("丙")}}, 2026);
        ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
        EXPECT_EQ(outcome.registerSeq, expected);
    }
    EXPECT_EQ(rows(kCompanyLibrary), (QStringList{"甲::0", "乙::0", "丙:默认:-1"}));
}

TEST_F(PgLibraryStoreTest, QuotesAndBackslashesInValuesAreStoredAsTyped)
{
    const QString value = QStringLiteral("O'Brien\\'; drop table company_item_table; --");
    auto outcome = PgLibraryStore::remember(*m_connection, {{kCompanyLibrary, value}}, 0);
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
    // Once more: the entry is found by its name, not added twice.
    outcome = PgLibraryStore::remember(*m_connection, {{kCompanyLibrary, value}}, 0);
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
    EXPECT_EQ(rows(kCompanyLibrary), (QStringList{"甲::0", "乙::0", value + ":默认:-1"}));
}

TEST_F(PgLibraryStoreTest, ALibraryLockedByAnotherClerkGivesUpAfterTheLockTimeoutChangingNothing)
{
    QString error;
    const auto other = PgConnection::open(m_db.conninfo(), &error);
    ASSERT_TRUE(other && other->begin({kCompanyLibrary}, &error)) << error.toStdString();
    const auto outcome = PgLibraryStore::remember(*m_connection, {{kCompanyLibrary, "乙"}}, 0);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.error, PgConnection::kServerBusy);
    other->rollback();
    EXPECT_EQ(rows(kCompanyLibrary), (QStringList{"甲:默认:0", "乙::0"}));
    // Readers are not held up by the bookkeeping's lock.
    ASSERT_TRUE(other->begin({kCompanyLibrary}, &error));
    EXPECT_EQ(rows(kCompanyLibrary).size(), 2);
    other->rollback();
}

} // namespace
