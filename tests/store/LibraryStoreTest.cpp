// The library store itself, on the file and (built as pg.*) on a team server: every operation
// hands back its value and its failures, named by the statement as the program writes it, and
// shows nothing; the failures read the same on both back ends.
#include "store/LibraryStore.h"
#include "LibraryFixture.h"
#include "store/SqlConnection.h"

namespace {

using Store = LibraryFixture;

const QString kNul = QString("部") + QChar(0) + "门";

TEST_F(Store, ReadsGiveTheirValuesAndNoFailure)
{
    const auto store = db.store();
    const StoreResult<QString> byDefault = store->defaultValue("company_item_table", "item3");
    EXPECT_TRUE(byDefault.ok());
    EXPECT_FALSE(byDefault.value.isEmpty());
    const StoreResult<qint32> id = store->findId("company_item_table", "item3", byDefault.value);
    ASSERT_TRUE(id.ok());
    EXPECT_GT(id.value, 0);
    EXPECT_EQ(store->valueOf("company_item_table", "item1", id.value).value, "默认");
    EXPECT_EQ(store->findId("company_item_table", "item3", "没有这个公司").value, -1);
    const StoreResult<QStringList> names = store->listValues("company_item_table", "item3");
    EXPECT_TRUE(names.ok());
    EXPECT_TRUE(names.value.contains(byDefault.value));
    EXPECT_TRUE(notes.notices().isEmpty());
}

// A value that cannot be stored: refused before anything is sent, on either back end, with the
// statement the program wrote for it.
TEST_F(Store, UnstorableValuesAreHandedBackNotShown)
{
    const auto store = db.store();
    struct Case
    {
        StoreOutcome outcome;
        QString statement;
    };
    const Case cases[] = {
        {store->modify("company_item_table", "item3", kNul, 1),
         "UPDATE company_item_table SET item3 = '" + kNul + "' WHERE itemid=1"},
        {store->addEntry("moban_item_table", "item3", kNul, "item8", "正文"),
         "insert into moban_item_table (item3,item8) values ('" + kNul + "','正文')"},
        {store->findId("position_item_table", "item3", kNul),
         "select top 1 * from position_item_table where item3='" + kNul + "'"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.outcome.failures.size(), 1) << c.statement.toStdString();
        EXPECT_EQ(c.outcome.failures[0].error, SqlConnection::kInvalidText);
        EXPECT_EQ(c.outcome.failures[0].statement, c.statement);
        EXPECT_FALSE(c.outcome.skipped);
    }
    EXPECT_TRUE(notes.notices().isEmpty()) << notes.texts().join('\n').toStdString();
}

TEST_F(Store, AFailedStatementIsNamedAsTheProgramWroteIt)
{
    const StoreResult<QString> missing =
        db.store()->findValue("no_such_table", "item3", "甲", "item8");
    ASSERT_EQ(missing.failures.size(), 1);
    EXPECT_TRUE(missing.failures[0].error.contains("no_such_table"))
        << missing.failures[0].error.toStdString();
    EXPECT_EQ(missing.failures[0].statement, "select top 1 * from no_such_table where item3='甲'");
    EXPECT_EQ(missing.value, QString());
    EXPECT_TRUE(notes.notices().isEmpty());
}

// The values a certificate used become the defaults together; a refused one is named by its
// label, and nothing of the transaction stays.
TEST_F(Store, RememberingTheValuesUsedIsOneTransaction)
{
    const QStringList companies = snapshot("company_item_table");
    const StoreResult<bool> refused = db.store()->rememberValues(
        {{"company_item_table", "新公司"}, {"department_item_table", kNul}});
    ASSERT_EQ(refused.failures.size(), 1);
    EXPECT_EQ(refused.failures[0].error,
              "部门中含有无法保存的字符（空字符或不完整的字符），资料库未作更改。");
    EXPECT_EQ(snapshot("company_item_table"), companies);

    const StoreResult<bool> kept = db.store()->rememberValues(
        {{"company_item_table", "新公司"}, {"department_item_table", ""}});
    EXPECT_TRUE(kept.ok());
    EXPECT_TRUE(kept.value);
    EXPECT_EQ(db.store()->defaultValue("company_item_table", "item3").value, "新公司");
    EXPECT_TRUE(notes.notices().isEmpty()) << notes.texts().join('\n').toStdString();
}

// The server returns rows in no fixed order and an update moves a row; the store reads them
// as the file returns them, by itemid. An empty key finds an empty text, never a NULL.
TEST_F(Store, RowsComeInItemidOrderAndAnEmptyKeyIsNoNull)
{
    run("delete from position_item_table");
    const auto store = db.store();
    for (const char* name : {"甲", "乙", "丙"}) {
        ASSERT_TRUE(store->addEntry("position_item_table", "item3", name, "item8", "").ok());
    }
    const qint32 first = store->findId("position_item_table", "item3", "甲").value;
    ASSERT_GT(first, 0);
    ASSERT_TRUE(store->modify("position_item_table", "item1", "x", first).ok());
    EXPECT_EQ(store->listValues("position_item_table", "item3").value,
              (QStringList{"甲", "乙", "丙"}));
    // item1 of 乙 and 丙 is NULL; the first one holding an empty text is 乙 once it has one.
    EXPECT_EQ(store->findValue("position_item_table", "item1", "", "item3").value, QString());
    const qint32 second = store->findId("position_item_table", "item3", "乙").value;
    ASSERT_TRUE(store->modify("position_item_table", "item1", "", second).ok());
    EXPECT_EQ(store->findValue("position_item_table", "item1", "", "item3").value, "乙");
    EXPECT_TRUE(notes.notices().isEmpty()) << notes.texts().join('\n').toStdString();
}

} // namespace
