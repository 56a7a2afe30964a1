#include "store/Statements.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

std::string s(const QString& text)
{
    return text.toStdString();
}

TEST(Statements, ReadingStatementsUseTheFixedPieces)
{
    EXPECT_EQ(s(Statements::selectAll("company_item_table")), "select * from company_item_table");
    EXPECT_EQ(s(Statements::selectTopLevel("moban_item_table")),
              "select * from moban_item_table where upid=0 order by itemid");
    EXPECT_EQ(s(Statements::selectById("reason_item_bable", 42)),
              "select top 1 * from reason_item_bable where itemid=42");
    EXPECT_EQ(s(Statements::selectByValue("moban_item_table", "item1", "默认")),
              "select top 1 * from moban_item_table where item1='默认'");
    EXPECT_EQ(s(Statements::selectByValue("t", "item3", "")),
              "select top 1 * from t where item3=''");
}

TEST(Statements, WritingStatementsUseTheFixedPieces)
{
    EXPECT_EQ(s(Statements::insertPair("moban_item_table", "item3", "名称", "item8", "正文")),
              "insert into moban_item_table (item3,item8) values ('名称','正文')");
    EXPECT_EQ(s(Statements::update("company_item_table", "item1", "默认", 7)),
              "UPDATE company_item_table SET item1 = '默认' WHERE itemid=7");
    EXPECT_EQ(s(Statements::deleteById("position_item_table", 3)),
              "delete from position_item_table where itemid=3");
}

TEST(Statements, InsertOfTenItemsEndsWithTheUnquotedParent)
{
    const QStringList texts{"默认", "", "某公司", "", "", "", "", "", "", ""};
    EXPECT_EQ(s(Statements::insertItems("company_item_table", 10, texts, -1)),
              "insert into company_item_table "
              "(item1,item2,item3,item4,item5,item6,item7,item8,item9,item10,upid) "
              "values ('默认','','某公司','','','','','','','',-1)");
}

TEST(Statements, InsertOfNoItemsWritesOnlyTheParent)
{
    EXPECT_EQ(s(Statements::insertItems("t", 0, {"ignored"}, 0)),
              "insert into t (upid) values (0)");
    EXPECT_EQ(s(Statements::insertItems("t", -3, {}, 5)), "insert into t (upid) values (5)");
}

TEST(Statements, MissingTextsAreWrittenEmpty)
{
    EXPECT_EQ(s(Statements::insertItems("t", 3, {"a"}, -1)),
              "insert into t (item1,item2,item3,upid) values ('a','','',-1)");
}

TEST(Statements, NumbersAreBareDecimals)
{
    EXPECT_EQ(s(Statements::number(0)), "0");
    EXPECT_EQ(s(Statements::number(-1)), "-1");
    EXPECT_EQ(s(Statements::number(std::numeric_limits<qint32>::min())), "-2147483648");
    EXPECT_EQ(s(Statements::deleteById("t", -1)), "delete from t where itemid=-1");
    EXPECT_EQ(s(Statements::selectById("t", std::numeric_limits<qint32>::max())),
              "select top 1 * from t where itemid=2147483647");
}

TEST(Statements, QuotesInsideValuesAreDoubled)
{
    EXPECT_EQ(s(Statements::quoted("O'Brien")), "'O''Brien'");
    EXPECT_EQ(s(Statements::quoted("''")), "''''''");
    EXPECT_EQ(s(Statements::selectByValue("t", "item3", "a'b")),
              "select top 1 * from t where item3='a''b'");
    EXPECT_EQ(s(Statements::update("t", "item8", "it's", 1)),
              "UPDATE t SET item8 = 'it''s' WHERE itemid=1");
    EXPECT_EQ(s(Statements::insertPair("t", "item3", "'", "item8", "x'")),
              "insert into t (item3,item8) values ('''','x''')");
}

TEST(Statements, SubstitutionMakesOnePassAndDoesNotRescanItsOwnText)
{
    EXPECT_EQ(s(Statements::substitute("[X] and [X]", "[X]", "[X][X]")), "[X][X] and [X][X]");
    EXPECT_EQ(s(Statements::substitute("no marker", "[X]", "v")), "no marker");
}

TEST(Statements, PlaceholderTextInsideAValueStaysAsTyped)
{
    // [TABLE_NAME] is replaced before the value goes in, so a value that looks like a
    // placeholder is not touched by it.
    EXPECT_EQ(s(Statements::selectByValue("t", "item3", "[TABLE_NAME][FIELD_VALUE]")),
              "select top 1 * from t where item3='[TABLE_NAME][FIELD_VALUE]'");
    EXPECT_EQ(s(Statements::insertPair("t", "item3", "[VALUES]", "item8", "[COLUMNS]")),
              "insert into t (item3,item8) values ('[VALUES]','[COLUMNS]')");
}

// What the library file itself receives for the two reads of one row: the row limit at the end,
// since SQLite has no "select top N". These are the texts the file has always been sent.
TEST(Statements, TheFileReadsOneRowWithATrailingLimit)
{
    struct Case
    {
        QString text;
        const char* expected;
    };
    const Case cases[] = {
        {Statements::fileSelectById("reason_item_bable", 42),
         "select * from reason_item_bable where itemid=42 limit 1"},
        {Statements::fileSelectById("t", -1), "select * from t where itemid=-1 limit 1"},
        {Statements::fileSelectByValue("moban_item_table", "item1", "默认"),
         "select * from moban_item_table where item1='默认' limit 1"},
        {Statements::fileSelectByValue("t", "item3", "a'b"),
         "select * from t where item3='a''b' limit 1"},
        // Words of SQL inside a value are the value's.
        {Statements::fileSelectByValue("t", "item3", "select top 2 x limit 9"),
         "select * from t where item3='select top 2 x limit 9' limit 1"},
        {Statements::fileSelectByValue("t", "item3", "[TABLE_NAME][FIELD_VALUE]"),
         "select * from t where item3='[TABLE_NAME][FIELD_VALUE]' limit 1"},
        {Statements::fileSelectByValue("t", "item3", ""), "select * from t where item3='' limit 1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(s(c.text), c.expected);
    }
}

} // namespace
