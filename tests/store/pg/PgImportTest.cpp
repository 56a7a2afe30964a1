#include "PgTestCluster.h"
#include "TempLibrary.h"

#include "store/LibraryFile.h"
#include "store/RecordSet.h"
#include "store/SqlConnection.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgImport.h"
#include "store/pg/PgRecordSet.h"
#include "store/pg/PgSchema.h"

#include <gtest/gtest.h>

namespace {

// "itemid|upid|item1|item3|item8" of every row of a table, in itemid order.
template <typename Records> QStringList dump(Records& records)
{
    QStringList rows;
    for (; records && !records->isEof(); records->moveNext()) {
        QStringList fields;
        for (const char* column : {"itemid", "upid", "item1", "item3", "item8"}) {
            fields << records->collect(QString::fromLatin1(column));
        }
        rows << fields.join(QLatin1Char('|'));
    }
    return rows;
}

class PgImportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_db.isValid()) << "no test cluster (fixture pg_cluster)";
        ASSERT_TRUE(m_library.isValid());
        QString error;
        m_server = m_db.openInitialized(&error);
        ASSERT_TRUE(m_server) << error.toStdString();
        m_file = SqlConnection::open(m_library.path(), LibraryFile::kPassword, &error);
        ASSERT_TRUE(m_file) << error.toStdString();
    }

    QStringList fileRows(const QString& table)
    {
        auto records =
            m_file->execute(QStringLiteral("select * from %1 order by itemid").arg(table), nullptr);
        return dump(records);
    }

    QStringList serverRows(const QString& table)
    {
        auto records = m_server->execute(
            QStringLiteral("select * from %1 order by itemid").arg(table), nullptr);
        return dump(records);
    }

    PgTestDatabase m_db;
    TempLibrary m_library;
    std::shared_ptr<PgConnection> m_server;
    std::shared_ptr<SqlConnection> m_file;
};

TEST_F(PgImportTest, CopiesEveryRowWithItsItemidAndDefaultMark)
{
    // A gap in the itemids and a default away from the first row must survive the copy.
    ASSERT_TRUE(
        m_file->execute(QStringLiteral("delete from company_item_table where itemid=2"), nullptr));
    ASSERT_TRUE(m_file->execute(
        QStringLiteral("insert into company_item_table (upid,item1,item3) values (-1,'','O''新')"),
        nullptr));
    const PgImport::Result result =
        PgImport::importLibrary(*m_server, m_library.path(), LibraryFile::kPassword);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    int total = 0;
    for (const QString& table : PgSchema::itemTables()) {
        const QStringList expected = fileRows(table);
        EXPECT_FALSE(expected.isEmpty()) << table.toStdString();
        EXPECT_EQ(serverRows(table), expected) << table.toStdString();
        total += int(expected.size());
    }
    EXPECT_EQ(result.rows, total);

    // NULL stays NULL, an empty text stays empty.
    auto nulls = m_server->execute(
        QStringLiteral("select item1 is null as n, item2 is null as e from company_item_table "
                       "where item3='O''新'"),
        nullptr);
    ASSERT_TRUE(nulls && !nulls->isEof());
    EXPECT_EQ(nulls->collectInt(QStringLiteral("n")), 0);
    EXPECT_EQ(nulls->collectInt(QStringLiteral("e")), 1);

    // A new entry continues after the highest itemid copied.
    const int highest =
        serverRows(QStringLiteral("company_item_table")).last().section('|', 0, 0).toInt();
    auto added = m_server->execute(
        QStringLiteral("insert into company_item_table (item3) values ('后来') returning itemid"),
        nullptr);
    ASSERT_TRUE(added);
    EXPECT_EQ(added->collectInt(QStringLiteral("itemid")), highest + 1);
}

TEST_F(PgImportTest, ServerWithEntriesIsRefusedAndKeepsThemAlone)
{
    ASSERT_TRUE(m_server->execute(
        QStringLiteral("insert into reason_item_bable (item3) values ('已有')"), nullptr));
    const PgImport::Result result =
        PgImport::importLibrary(*m_server, m_library.path(), LibraryFile::kPassword);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error,
              QStringLiteral("服务器上的 reason_item_bable 已有内容，没有导入任何内容。"));
    EXPECT_EQ(result.rows, 0);
    // The tables before it in the order were copied inside the same transaction: gone again.
    EXPECT_TRUE(serverRows(QStringLiteral("moban_item_table")).isEmpty());
    EXPECT_EQ(serverRows(QStringLiteral("reason_item_bable")).size(), 1);
}

TEST_F(PgImportTest, MissingOrWronglyKeyedFileIsRefused)
{
    PgImport::Result result = PgImport::importLibrary(
        *m_server, m_library.path() + QStringLiteral(".none"), LibraryFile::kPassword);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.startsWith(QStringLiteral("无法打开资料库文件")));
    m_file.reset();
    result = PgImport::importLibrary(*m_server, m_library.path(), QStringLiteral("wrong"));
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(m_server->inTransaction());
}

} // namespace
