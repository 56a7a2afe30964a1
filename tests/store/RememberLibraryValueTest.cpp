// Generate's bookkeeping without a window: the value used becomes its library's one default.
#include "LibraryFixture.h"

namespace {

class RememberLibraryValue : public LibraryFixture
{
protected:
    void SetUp() override
    {
        LibraryFixture::SetUp();
        run("delete from company_item_table");
        run("insert into company_item_table (itemid, upid, item1, item3) values (1, 0, '默认', "
            "'甲')");
        run("insert into company_item_table (itemid, upid, item1, item3) values (2, 0, '', '乙')");
    }

    QStringList defaults() const
    {
        QStringList names;
        auto records = const_cast<CDbVisit&>(db).ExecuteSql(
            "select item3 from company_item_table where item1='默认' order by itemid");
        for (; records && !records->isEof(); records->moveNext()) {
            names.append(records->collect("item3"));
        }
        return names;
    }
};

TEST_F(RememberLibraryValue, AKnownValueTakesTheMarkFromTheOldDefault)
{
    db.RememberLibraryValue("company_item_table", "乙");
    EXPECT_EQ(defaults(), QStringList{"乙"});
    EXPECT_EQ(db.GetRecordValue("company_item_table", "item1", 1), "");
    EXPECT_EQ(rowCount("company_item_table"), 2);
    EXPECT_TRUE(notes.notices().isEmpty());
}

TEST_F(RememberLibraryValue, ANewValueIsRecordedWithUpidMinusOneAsTheDefault)
{
    db.RememberLibraryValue("company_item_table", "丙");
    EXPECT_EQ(defaults(), QStringList{"丙"});
    EXPECT_EQ(rowCount("company_item_table"), 3);
    const QStringList rows = snapshot("company_item_table");
    // Its itemid is the database's; the rest is what Generate writes.
    EXPECT_EQ(rows.last().section('|', 1), "-1|默认||丙|||||||");
    EXPECT_TRUE(notes.notices().isEmpty());
}

TEST_F(RememberLibraryValue, TheCurrentDefaultStaysTheOnlyDefault)
{
    db.RememberLibraryValue("company_item_table", "甲");
    EXPECT_EQ(defaults(), QStringList{"甲"});
    EXPECT_EQ(rowCount("company_item_table"), 2);
}

TEST_F(RememberLibraryValue, ALibraryWithoutDefaultGetsOne)
{
    run("update company_item_table set item1='' where itemid=1");
    db.RememberLibraryValue("company_item_table", "甲");
    EXPECT_EQ(defaults(), QStringList{"甲"});
    EXPECT_TRUE(notes.notices().isEmpty()) << notes.texts().join('\n').toStdString();
}

} // namespace
