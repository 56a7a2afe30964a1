#include "LibraryFixture.h"

namespace {

using Writing = LibraryFixture;

TEST_F(Writing, AddRecordWritesTwoColumnsAndLeavesTheRestToTheDatabase)
{
    const int before = rowCount("moban_item_table");
    EXPECT_EQ(db.AddRecord("moban_item_table", "item3", "新模板", "item8", "正文<br>特此证明。"),
              1);
    ASSERT_EQ(rowCount("moban_item_table"), before + 1);
    const int id = db.FindRecordId("moban_item_table", "item3", "新模板");
    ASSERT_GT(id, 0);
    EXPECT_EQ(id, values("moban_item_table", "itemid").last().toInt());
    EXPECT_EQ(db.GetRecordValue("moban_item_table", "item8", id), "正文<br>特此证明。");
    EXPECT_EQ(db.GetRecordValue("moban_item_table", "upid", id), "0");
    EXPECT_TRUE(snapshot("moban_item_table").last().contains("|<null>|<null>|新模板|"));
    EXPECT_TRUE(notes.notices().isEmpty());
}

TEST_F(Writing, AddItemRecordWithTenTextsAndParentMinusOne)
{
    const QStringList texts{"默认", "", "新公司", "", "", "", "", "", "", ""};
    EXPECT_EQ(db.AddItemRecord("company_item_table", 10, texts, -1), 1);
    const QString row = snapshot("company_item_table").last();
    EXPECT_TRUE(row.endsWith("|-1|默认||新公司|||||||")) << row.toStdString();
    EXPECT_TRUE(notes.notices().isEmpty());
}

TEST_F(Writing, AddItemRecordWithNoTextsWritesOnlyTheParent)
{
    db.AddItemRecord("company_item_table", 0, {}, 0);
    const QString row = snapshot("company_item_table").last();
    EXPECT_TRUE(
        row.endsWith("|0|<null>|<null>|<null>|<null>|<null>|<null>|<null>|<null>|<null>|<null>"))
        << row.toStdString();
}

TEST_F(Writing, NewKeysKeepGrowingAfterTheLastRowIsDeleted)
{
    db.AddRecord("department_item_table", "item3", "临时", "item8", "");
    const int id = db.FindRecordId("department_item_table", "item3", "临时");
    db.DeleteRecord("department_item_table", id);
    db.AddRecord("department_item_table", "item3", "再来", "item8", "");
    EXPECT_GT(db.FindRecordId("department_item_table", "item3", "再来"), id);
}

TEST_F(Writing, SetRecordValueChangesOneColumnOfOneRow)
{
    const QStringList before = snapshot("position_item_table");
    const int id = values("position_item_table", "itemid").at(2).toInt();
    EXPECT_EQ(db.SetRecordValue("position_item_table", "item1", "默认", id), 1);
    const QStringList after = snapshot("position_item_table");
    ASSERT_EQ(after.size(), before.size());
    for (int i = 0; i < before.size(); ++i) {
        if (i == 2) {
            EXPECT_TRUE(after[i].contains("|默认|"));
            EXPECT_NE(after[i], before[i]);
        } else {
            EXPECT_EQ(after[i], before[i]);
        }
    }
}

TEST_F(Writing, MinusOneChangesAndDeletesNothing)
{
    const QStringList before = snapshot("reason_item_bable");
    db.SetRecordValue("reason_item_bable", "item1", "", -1);
    db.DeleteRecord("reason_item_bable", -1);
    EXPECT_EQ(snapshot("reason_item_bable"), before);
    EXPECT_TRUE(notes.notices().isEmpty());
}

TEST_F(Writing, DeleteRemovesExactlyThatRow)
{
    const QStringList before = snapshot("department_item_table");
    const int id = values("department_item_table", "itemid").at(1).toInt();
    db.DeleteRecord("department_item_table", id);
    QStringList expected = before;
    expected.removeAt(1);
    EXPECT_EQ(snapshot("department_item_table"), expected);
    EXPECT_EQ(db.GetRecordValue("department_item_table", "item3", id), "");
}

TEST_F(Writing, DefaultMarkMovesTheWayGenerateMovesIt)
{
    // The sequence Generate runs for one library value that is not yet in the library.
    const QString table = "company_item_table";
    const int oldDefault = db.FindRecordId(table, "item1", "默认");
    ASSERT_GT(oldDefault, 0);
    db.SetRecordValue(table, "item1", "", oldDefault);
    ASSERT_EQ(db.FindRecordId(table, "item3", "新的公司"), -1);
    db.AddItemRecord(table, 10, {"默认", "", "新的公司", "", "", "", "", "", "", ""}, -1);

    const int newDefault = db.FindRecordId(table, "item1", "默认");
    EXPECT_EQ(newDefault, db.FindRecordId(table, "item3", "新的公司"));
    EXPECT_EQ(db.GetRecordValue(table, "item1", oldDefault), "");
    int defaults = 0;
    for (const QString& mark : values(table, "item1")) {
        defaults += mark == "默认";
    }
    EXPECT_EQ(defaults, 1);
    EXPECT_TRUE(notes.notices().isEmpty());
}

TEST_F(Writing, FailedWriteIsReportedAndWritesNothing)
{
    const QStringList before = snapshot("company_item_table");
    db.AddRecord("company_item_table", "item3", "x", "no_column", "y");
    db.SetRecordValue("company_item_table", "no_column", "y", 1);
    EXPECT_EQ(snapshot("company_item_table"), before);
    ASSERT_EQ(notes.notices().size(), 2);
    // Each engine words the failure its own way; the statement follows it unchanged.
    const QString insertError = onServer()
        ? "column \"no_column\" of relation \"company_item_table\" does not exist"
        : "table company_item_table has no column named no_column";
    const QString updateError = onServer()
        ? "column \"no_column\" of relation \"company_item_table\" does not exist"
        : "no such column: no_column";
    EXPECT_EQ(notes.notices()[0].text,
              insertError + "insert into company_item_table (item3,no_column) values ('x','y')");
    EXPECT_EQ(notes.notices()[1].text,
              updateError + "UPDATE company_item_table SET no_column = 'y' WHERE itemid=1");
}

} // namespace
