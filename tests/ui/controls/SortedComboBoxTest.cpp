#include "ui/controls/SortedComboBox.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QStringList itemsOf(const QComboBox& combo)
{
    QStringList items;
    for (int i = 0; i < combo.count(); ++i) {
        items.append(combo.itemText(i));
    }
    return items;
}

TEST(SortedComboBox, ManyStringsGoInInPinyinOrder)
{
    SortedComboBox combo;
    combo.addSortedItems({"张三", "李四", "王五", "阿姨", "白雪", "陈晨"});
    EXPECT_EQ(itemsOf(combo), (QStringList{"阿姨", "白雪", "陈晨", "李四", "王五", "张三"}));
    EXPECT_TRUE(combo.isEditable());
}

TEST(SortedComboBox, LaterStringsMergeIntoTheOrderAndDuplicatesStay)
{
    SortedComboBox combo;
    combo.addSortedItems({"销售部", "财务部"});
    combo.setEditText("自己输入的");
    combo.addSortedItems({"行政部", "财务部"});
    combo.addSortedItem("人力资源部");
    EXPECT_EQ(itemsOf(combo), (QStringList{"财务部", "财务部", "人力资源部", "销售部", "行政部"}));
    EXPECT_EQ(combo.currentText(), "自己输入的");
}

TEST(SortedComboBox, SingleInsertFindsItsPlace)
{
    SortedComboBox combo;
    for (const char* text : {"中", "安", "明", "波"}) {
        combo.addSortedItem(text);
    }
    EXPECT_EQ(itemsOf(combo), (QStringList{"安", "波", "明", "中"}));
}

TEST(SortedComboBox, TypedTextIsNotAddedToTheList)
{
    SortedComboBox combo;
    combo.addSortedItems({"甲", "乙"});
    combo.lineEdit()->clear();
    QTest::keyClicks(combo.lineEdit(), "Bing Co");
    QTest::keyClick(combo.lineEdit(), Qt::Key_Return);
    EXPECT_EQ(combo.count(), 2);
    EXPECT_EQ(combo.currentText(), "Bing Co");
}

TEST(SortedComboBox, EmptyBatchChangesNothing)
{
    SortedComboBox combo;
    combo.addSortedItems({"乙"});
    combo.setEditText("x");
    combo.addSortedItems({});
    EXPECT_EQ(itemsOf(combo), QStringList{"乙"});
    EXPECT_EQ(combo.currentText(), "x");
}

} // namespace
