#include "PgServerTest.h"

#include "store/pg/PgConnection.h"
#include "store/pg/PgRecordSet.h"
#include "store/pg/PgSchema.h"

#include <gtest/gtest.h>

namespace {

class PgSchemaTest : public PgServerTest
{
protected:
    std::shared_ptr<PgConnection> login(const QString& group)
    {
        const QString user = m_db.addLogin(group.mid(6), QStringLiteral("secret"), group);
        QString error;
        auto connection = PgConnection::open(m_db.conninfo(user, QStringLiteral("secret")), &error);
        EXPECT_TRUE(connection) << error.toStdString();
        return connection;
    }

    // An entry of the register, made by the superuser with the given age.
    void addEntry(const QString& number, const QString& age)
    {
        QString error;
        EXPECT_TRUE(m_connection->execute(
            QStringLiteral("insert into register_entry (number, year, seq, created_at, leave_day) "
                           "values ('%1', 2020, %2, now() - interval '%3', "
                           "(now() - interval '%3')::date - 30)")
                .arg(number)
                .arg(number.right(1).toInt())
                .arg(age),
            &error))
            << error.toStdString();
    }

    int count(const QString& table)
    {
        auto records =
            m_connection->execute(QStringLiteral("select count(*) as n from ") + table, nullptr);
        return records ? records->collectInt(QStringLiteral("n")) : -1;
    }
};

TEST_F(PgSchemaTest, ItemTablesHaveTheLibraryFilesColumns)
{
    for (const QString& table : PgSchema::itemTables()) {
        auto records = m_connection->execute(
            QStringLiteral("select column_name from information_schema.columns where "
                           "table_name='%1' order by ordinal_position")
                .arg(table),
            nullptr);
        ASSERT_TRUE(records);
        QStringList columns;
        for (; !records->isEof(); records->moveNext()) {
            columns << records->collect(QStringLiteral("column_name"));
        }
        EXPECT_EQ(columns, (QStringList{"itemid", "upid", "item1", "item2", "item3", "item4",
                                        "item5", "item6", "item7", "item8", "item9", "item10"}))
            << table.toStdString();
    }
}

TEST_F(PgSchemaTest, SecondInitIsRefusedAndChangesNothing)
{
    QString error;
    ASSERT_TRUE(m_connection->execute(
        QStringLiteral("insert into company_item_table (item3) values ('甲')"), &error));
    EXPECT_FALSE(PgSchema::init(*m_connection, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("already exists"))) << error.toStdString();
    EXPECT_EQ(count(QStringLiteral("company_item_table")), 1);
}

TEST_F(PgSchemaTest, ClerkWritesLibrariesAndAddsToTheRegisterOnlyThroughItsFunctions)
{
    const auto clerk = login(PgSchema::kClerkRole);
    ASSERT_TRUE(clerk);
    QString error;
    EXPECT_TRUE(clerk->execute(
        QStringLiteral("insert into reason_item_bable (item3) values ('个人原因')"), &error))
        << error.toStdString();
    EXPECT_TRUE(
        clerk->execute(QStringLiteral("delete from reason_item_bable where itemid=1"), &error))
        << error.toStdString();
    // The counter and the entries are the server functions' to write.
    EXPECT_EQ(PgSchema::nextRegisterSequence(*clerk, 2026, &error), -1);
    EXPECT_EQ(error, QStringLiteral("permission denied for table register_counter"));
    EXPECT_FALSE(clerk->execute(QStringLiteral("insert into register_entry (number, year, seq) "
                                               "values ('2026-000001', 2026, 1)"),
                                &error));
    EXPECT_EQ(error, QStringLiteral("permission denied for table register_entry"));
    EXPECT_TRUE(clerk->execute(QStringLiteral("select reserved_number from register_reserve('LZ')"),
                               &error))
        << error.toStdString();

    addEntry(QStringLiteral("2020-000001"), QStringLiteral("3 years"));
    EXPECT_FALSE(clerk->execute(QStringLiteral("delete from register_entry where number="
                                               "'2020-000001'"),
                                &error));
    EXPECT_EQ(error, QStringLiteral("permission denied for table register_entry"));
    EXPECT_EQ(count(QStringLiteral("register_entry")), 2);
}

TEST_F(PgSchemaTest, NoOneDeletesAnEntryYoungerThanTwoYears)
{
    const auto admin = login(PgSchema::kAdminRole);
    ASSERT_TRUE(admin);
    addEntry(QStringLiteral("2020-000001"), QStringLiteral("25 months"));
    addEntry(QStringLiteral("2020-000002"), QStringLiteral("23 months"));
    QString error;
    // The administrator deletes only through the function; the owner's own statement meets the
    // two-year rule.
    EXPECT_FALSE(admin->execute(
        QStringLiteral("delete from register_entry where number='2020-000001'"), &error));
    EXPECT_EQ(error, QStringLiteral("permission denied for table register_entry"));
    EXPECT_TRUE(m_connection->execute(
        QStringLiteral("delete from register_entry where number='2020-000001'"), &error))
        << error.toStdString();
    EXPECT_FALSE(m_connection->execute(
        QStringLiteral("delete from register_entry where number='2020-000002'"), &error));
    EXPECT_EQ(error, QStringLiteral("登记簿条目 2020-000002 离职、登记或出具未满两年，不能删除。"));
    EXPECT_EQ(count(QStringLiteral("register_entry")), 1);
}

TEST_F(PgSchemaTest, RegisterSequenceCountsPerYearAndARollbackGivesItsNumberBack)
{
    QString error;
    const auto next = [&](int year, bool keep) {
        EXPECT_TRUE(m_connection->begin({QStringLiteral("register_counter")}, &error));
        const int seq = PgSchema::nextRegisterSequence(*m_connection, year, &error);
        if (keep) {
            EXPECT_TRUE(m_connection->commit(&error));
        } else {
            m_connection->rollback();
        }
        return seq;
    };
    EXPECT_EQ(next(2026, true), 1);
    EXPECT_EQ(next(2026, false), 2);
    EXPECT_EQ(next(2026, true), 2);
    EXPECT_EQ(next(2027, true), 1);
    EXPECT_EQ(next(2026, true), 3);
}

} // namespace
