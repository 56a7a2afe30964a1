// The reads as data: what the adapters in ui/controls put into the controls comes from here.
#include "LibraryFixture.h"

namespace {

using Reading = LibraryFixture;

TEST_F(Reading, ComboTextsSkipNullAndEmptyNamesAndKeepDatabaseOrder)
{
    run("delete from position_item_table");
    run("insert into position_item_table (item3) values ('乙')");
    run("insert into position_item_table (item1) values ('默认')");
    run("insert into position_item_table (item3) values ('')");
    run("insert into position_item_table (item3) values ('甲')");
    EXPECT_EQ(db.FillRecordCombo("position_item_table", "item3"), (QStringList{"乙", "甲"}));
    EXPECT_TRUE(notes.notices().isEmpty());
}

TEST_F(Reading, ListTextsKeepNullAndEmptyNamesAsEmptyTexts)
{
    run("delete from position_item_table");
    run("insert into position_item_table (item3) values ('乙')");
    run("insert into position_item_table (item1) values ('默认')");
    run("insert into position_item_table (item3) values ('')");
    EXPECT_EQ(db.FillRecordList("position_item_table", "item3"), (QStringList{"乙", "", ""}));
    EXPECT_TRUE(notes.notices().isEmpty());
}

TEST_F(Reading, TreeRowsAreTopLevelOnlyInItemIdOrderWithTheirIds)
{
    run("delete from department_item_table");
    run("insert into department_item_table (itemid, upid, item3) values (7, 0, '七')");
    run("insert into department_item_table (itemid, upid, item3) values (3, 0, '三')");
    run("insert into department_item_table (itemid, upid, item3) values (5, -1, '五')");
    const QList<TreeRecord> rows = db.FillRecordTree("item3", "department_item_table");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].text, "三");
    EXPECT_EQ(rows[0].itemId, 3);
    EXPECT_EQ(rows[1].text, "七");
    EXPECT_EQ(rows[1].itemId, 7);
}

TEST_F(Reading, ShownAndSelectedTextsAreTheValueFound)
{
    run("delete from reason_item_bable");
    run("insert into reason_item_bable (item1, item3) values ('默认', '个人原因')");
    EXPECT_EQ(db.ShowRecordValue("reason_item_bable", "item1", "默认", "item3"), "个人原因");
    EXPECT_EQ(db.SelectRecordRow("reason_item_bable", "item1", "默认", "item3"), "个人原因");
    EXPECT_EQ(db.ShowRecordValue("reason_item_bable", "item1", "没有", "item3"), "");
}

TEST_F(Reading, MissingColumnIsReportedOnceAndGivesNothing)
{
    EXPECT_TRUE(db.FillRecordCombo("company_item_table", "item99").isEmpty());
    EXPECT_TRUE(db.FillRecordTree("item99", "company_item_table").isEmpty());
    ASSERT_EQ(notes.notices().size(), 2);
    EXPECT_EQ(notes.notices()[0].text, "no such column: item99select * from company_item_table");
    EXPECT_EQ(notes.notices()[1].text,
              "no such column: item99select * from company_item_table where upid=0 order by "
              "itemid");
}

} // namespace
