#include "ui/controls/RecordControls.h"
#include "LibraryFixture.h"
#include "ui/controls/SortedComboBox.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTableWidget>
#include <QTreeWidget>

namespace {

class Reading : public LibraryFixture
{
protected:
    // A table with the rows a test wants and nothing else.
    void emptyTable(const QString& table) { run("delete from " + table); }
};

TEST_F(Reading, ComboGetsEveryNamedRowInDatabaseOrderWithoutBeingCleared)
{
    QComboBox combo;
    combo.addItem("已有");
    FillRecordCombo(db, &combo, "company_item_table", "item3");
    QStringList items;
    for (int i = 0; i < combo.count(); ++i) {
        items.append(combo.itemText(i));
    }
    EXPECT_EQ(items, QStringList{"已有"} + values("company_item_table", "item3"));
    EXPECT_TRUE(notes.notices().isEmpty());
}

TEST_F(Reading, ComboSkipsNullAndEmptyNames)
{
    emptyTable("department_item_table");
    run("insert into department_item_table (upid) values (0)");
    run("insert into department_item_table (item3) values ('')");
    run("insert into department_item_table (item3) values ('财务部')");
    QComboBox combo;
    FillRecordCombo(db, &combo, "department_item_table", "item3");
    ASSERT_EQ(combo.count(), 1);
    EXPECT_EQ(combo.itemText(0), "财务部");
}

TEST_F(Reading, SortedComboKeepsChineseOrderAndItsEditText)
{
    emptyTable("position_item_table");
    for (const char* name : {"张经理", "阿姨", "王工程师", "李会计", "白班主管"}) {
        run(QString("insert into position_item_table (item3) values ('%1')").arg(name));
    }
    SortedComboBox combo;
    combo.setEditText("正在输入");
    FillRecordCombo(db, &combo, "position_item_table", "item3");
    QStringList items;
    for (int i = 0; i < combo.count(); ++i) {
        items.append(combo.itemText(i));
    }
    EXPECT_EQ(items, (QStringList{"阿姨", "白班主管", "李会计", "王工程师", "张经理"}));
    EXPECT_EQ(combo.currentText(), "正在输入");
}

TEST_F(Reading, EmptyTableGivesEmptyResultsEverywhere)
{
    emptyTable("reason_item_bable");
    QComboBox combo;
    FillRecordCombo(db, &combo, "reason_item_bable", "item3");
    QTableWidget list(0, 1);
    FillRecordList(db, "reason_item_bable", &list, "item3", 0, 0);
    QTreeWidget tree;
    FillRecordTree(db, &tree, "item3", "reason_item_bable", 1);
    EXPECT_EQ(combo.count(), 0);
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(tree.topLevelItemCount(), 0);
    EXPECT_EQ(db.GetRecordValue("reason_item_bable", "item3", 1), QString());
    EXPECT_EQ(db.FindRecordValue("reason_item_bable", "item1", "默认", "item3"), QString());
    EXPECT_EQ(db.FindRecordId("reason_item_bable", "item1", "默认"), -1);

    QLineEdit edit("旧文字");
    ShowRecordValue(db, &edit, "reason_item_bable", "item1", "默认", "item3");
    EXPECT_EQ(edit.text(), QString());

    QTableWidget other(2, 1);
    other.setItem(0, 0, new QTableWidgetItem(""));
    other.setItem(1, 0, new QTableWidgetItem("x"));
    SelectRecordRow(db, &other, "reason_item_bable", "item1", "默认", "item3");
    // An empty result matches the row with empty text, as comparing texts does.
    EXPECT_TRUE(other.selectionModel()->isRowSelected(0));
    EXPECT_FALSE(other.selectionModel()->isRowSelected(1));
    EXPECT_TRUE(notes.notices().isEmpty());
}

TEST_F(Reading, ListAppendsAfterExistingRowsWhenFirstRowIsMinusOne)
{
    QTableWidget list(3, 1);
    for (int row = 0; row < 3; ++row) {
        list.setItem(row, 0, new QTableWidgetItem(QString("旧%1").arg(row)));
    }
    FillRecordList(db, "moban_item_table", &list, "item3", 0, -1);
    const QStringList names = values("moban_item_table", "item3");
    ASSERT_EQ(list.rowCount(), 3 + names.size());
    EXPECT_EQ(list.item(2, 0)->text(), "旧2");
    for (int i = 0; i < names.size(); ++i) {
        EXPECT_EQ(list.item(3 + i, 0)->text(), names[i]);
        EXPECT_FALSE(list.item(3 + i, 0)->data(Qt::UserRole).isValid());
    }
}

TEST_F(Reading, ListInsertsAtTheGivenRowAndKeepsNullNamesAsEmptyRows)
{
    emptyTable("moban_item_table");
    run("insert into moban_item_table (item3) values ('甲')");
    run("insert into moban_item_table (item8) values ('无名')");
    run("insert into moban_item_table (item3) values ('')");
    QTableWidget list(2, 1);
    list.setItem(0, 0, new QTableWidgetItem("上"));
    list.setItem(1, 0, new QTableWidgetItem("下"));
    FillRecordList(db, "moban_item_table", &list, "item3", 0, 1);
    QStringList rows;
    for (int row = 0; row < list.rowCount(); ++row) {
        rows.append(list.item(row, 0)->text());
    }
    EXPECT_EQ(rows, (QStringList{"上", "甲", "", "", "下"}));
}

TEST_F(Reading, ListSubItemSetsTextsOfExistingRowsOnly)
{
    QTableWidget list(0, 2);
    FillRecordList(db, "moban_item_table", &list, "item3", 0, 0);
    const int rows = list.rowCount();
    ASSERT_GE(rows, 3);
    FillRecordList(db, "moban_item_table", &list, "item1", 1, 0);
    EXPECT_EQ(list.rowCount(), rows);
    EXPECT_EQ(list.item(0, 1)->text(), "默认");
    EXPECT_EQ(list.item(1, 1)->text(), "");

    // Starting at the last row: only that row gets a text, nothing is added.
    QTableWidget shorter(1, 2);
    FillRecordList(db, "moban_item_table", &shorter, "item3", 1, 0);
    EXPECT_EQ(shorter.rowCount(), 1);
    EXPECT_EQ(shorter.item(0, 1)->text(), values("moban_item_table", "item3").first());
}

TEST_F(Reading, TreeListsTopLevelRowsInItemIdOrderWithTheirIds)
{
    emptyTable("company_item_table");
    // Inserted out of key order; one row recorded by Generate (upid -1) must not show.
    run("insert into company_item_table (itemid, upid, item3) values (50, 0, '五十')");
    run("insert into company_item_table (itemid, upid, item3) values (7, 0, '七')");
    run("insert into company_item_table (itemid, upid, item3) values (20, -1, '二十')");
    run("insert into company_item_table (itemid, upid) values (9, 0)");
    QTreeWidget tree;
    auto* existing = new QTreeWidgetItem(QStringList{"已有"});
    tree.addTopLevelItem(existing);
    FillRecordTree(db, &tree, "item3", "company_item_table", 1);
    ASSERT_EQ(tree.topLevelItemCount(), 4);
    EXPECT_EQ(tree.topLevelItem(0), existing);
    const QStringList texts{"七", "", "五十"};
    const QList<int> ids{7, 9, 50};
    for (int i = 0; i < 3; ++i) {
        const QTreeWidgetItem* item = tree.topLevelItem(i + 1);
        EXPECT_EQ(item->text(0), texts[i]);
        EXPECT_EQ(item->data(0, Qt::UserRole).toInt(), ids[i]);
        EXPECT_EQ(item->data(0, Qt::UserRole + 1).toInt(), 1);
        EXPECT_EQ(item->childCount(), 0);
    }
}

TEST_F(Reading, ValuesByIdTurnNullIntoEmptyTextAndNumbersIntoDigits)
{
    run("insert into company_item_table (itemid, upid, item3) values (100, -1, '某公司')");
    EXPECT_EQ(db.GetRecordValue("company_item_table", "item3", 100), "某公司");
    EXPECT_EQ(db.GetRecordValue("company_item_table", "item8", 100), "");
    EXPECT_EQ(db.GetRecordValue("company_item_table", "upid", 100), "-1");
    EXPECT_EQ(db.GetRecordValue("company_item_table", "itemid", 100), "100");
    EXPECT_EQ(db.GetRecordValue("company_item_table", "item3", 101), "");
    EXPECT_EQ(db.GetRecordValue("company_item_table", "item3", -1), "");
    EXPECT_TRUE(notes.notices().isEmpty());
}

TEST_F(Reading, DuplicateNamesAreFoundFirstInDatabaseOrder)
{
    run("insert into moban_item_table (item3, item8) values ('同名', '第一份')");
    run("insert into moban_item_table (item3, item8) values ('同名', '第二份')");
    const int first = db.FindRecordId("moban_item_table", "item3", "同名");
    EXPECT_GT(first, 0);
    EXPECT_EQ(db.GetRecordValue("moban_item_table", "item8", first), "第一份");
    EXPECT_EQ(db.FindRecordValue("moban_item_table", "item3", "同名", "item8"), "第一份");
}

TEST_F(Reading, EmptyKeyMatchesEmptyTextButNotNull)
{
    emptyTable("position_item_table");
    run("insert into position_item_table (item8) values ('null name')");
    run("insert into position_item_table (item3, item8) values ('', 'empty name')");
    EXPECT_EQ(db.FindRecordValue("position_item_table", "item3", "", "item8"), "empty name");
    EXPECT_EQ(db.FindRecordId("position_item_table", "item3", ""),
              values("position_item_table", "itemid").at(1).toInt());
}

TEST_F(Reading, LookupsAreCaseSensitive)
{
    run("insert into company_item_table (item3) values ('Acme')");
    EXPECT_EQ(db.FindRecordId("company_item_table", "item3", "ACME"), -1);
    EXPECT_GT(db.FindRecordId("company_item_table", "item3", "Acme"), 0);
}

TEST_F(Reading, DefaultTemplateRowIsSelectedAndFocusedAndOthersKeepTheirState)
{
    QTableWidget list(0, 1);
    list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    list.setSelectionBehavior(QAbstractItemView::SelectRows);
    FillRecordList(db, "moban_item_table", &list, "item3", 0, 0);
    const QString name = db.FindRecordValue("moban_item_table", "item1", "默认", "item3");
    ASSERT_FALSE(name.isEmpty());
    const int last = list.rowCount() - 1;
    list.selectionModel()->select(list.model()->index(last, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    SelectRecordRow(db, &list, "moban_item_table", "item1", "默认", "item3");
    int selectedRow = -1;
    for (int row = 0; row < last; ++row) {
        if (list.selectionModel()->isRowSelected(row)) {
            selectedRow = row;
        }
    }
    ASSERT_GE(selectedRow, 0);
    EXPECT_EQ(list.item(selectedRow, 0)->text(), name);
    EXPECT_EQ(list.currentRow(), selectedRow);
    EXPECT_TRUE(list.selectionModel()->isRowSelected(last));
}

TEST_F(Reading, OnlyTheFirstOfEqualRowsIsSelectedAndNoMatchChangesNothing)
{
    QTableWidget list(3, 1);
    list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    const QString name = db.FindRecordValue("moban_item_table", "item1", "默认", "item3");
    list.setItem(0, 0, new QTableWidgetItem(name + " "));
    list.setItem(1, 0, new QTableWidgetItem(name));
    list.setItem(2, 0, new QTableWidgetItem(name));
    SelectRecordRow(db, &list, "moban_item_table", "item1", "默认", "item3");
    EXPECT_FALSE(list.selectionModel()->isRowSelected(0));
    EXPECT_TRUE(list.selectionModel()->isRowSelected(1));
    EXPECT_FALSE(list.selectionModel()->isRowSelected(2));

    list.clearSelection();
    SelectRecordRow(db, &list, "moban_item_table", "item3", "没有这个模板", "item3");
    EXPECT_TRUE(list.selectionModel()->selectedIndexes().isEmpty());
}

TEST_F(Reading, ShowRecordValueSetsTheComboEditText)
{
    QComboBox combo;
    combo.setEditable(true);
    ShowRecordValue(db, &combo, "company_item_table", "item1", "默认", "item3");
    EXPECT_EQ(combo.currentText(), values("company_item_table", "item3").first());
}

TEST_F(Reading, UnknownColumnIsReportedWithTheStatement)
{
    QComboBox combo;
    FillRecordCombo(db, &combo, "company_item_table", "item99");
    EXPECT_EQ(combo.count(), 0);
    ASSERT_EQ(notes.notices().size(), 1);
    EXPECT_EQ(notes.notices()[0].text, "no such column: item99select * from company_item_table");
}

TEST_F(Reading, WaitCursorIsGoneAfterEveryReadSuccessfulOrNot)
{
    QTableWidget list(0, 1);
    FillRecordList(db, "moban_item_table", &list, "item3", 0, 0);
    db.GetRecordValue("moban_item_table", "item3", 1);
    db.FindRecordValue("no_table", "item3", "x", "item8");
    db.FindRecordId("moban_item_table", "item3", "x");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
