// Generate's bookkeeping as one transaction on a team library: all four libraries change
// together or not at all, and a failure is reported once.
#include "LibraryFixture.h"
#include "store/SqlConnection.h"
#include "store/pg/PgConnection.h"

namespace {

class ServerTransaction : public LibraryFixture
{
protected:
    QString defaultName(const QString& table)
    {
        return db.FindRecordValue(table, "item1", "默认", "item3");
    }

    int defaults(const QString& table)
    {
        auto records = db.ExecuteSql("select count(*) as n from " + table + " where item1='默认'");
        return records ? records->collectInt("n") : -1;
    }
};

TEST_F(ServerTransaction, AllFourLibrariesChangeTogetherAndTheTransactionEnds)
{
    ASSERT_TRUE(db.m_pConnection->isServer());
    db.RememberLibraryValues({{"company_item_table", "新公司"},
                              {"department_item_table", "新部门"},
                              {"position_item_table", "新职位"},
                              {"reason_item_bable", "个人原因（备注）"}});
    EXPECT_TRUE(notes.notices().isEmpty()) << notes.texts().join('\n').toStdString();
    EXPECT_FALSE(db.m_pConnection->inTransaction());
    EXPECT_EQ(defaultName("company_item_table"), "新公司");
    EXPECT_EQ(defaultName("department_item_table"), "新部门");
    EXPECT_EQ(defaultName("position_item_table"), "新职位");
    EXPECT_EQ(defaultName("reason_item_bable"), "个人原因（备注）");
    for (const char* table : {"company_item_table", "department_item_table",
                              "position_item_table", "reason_item_bable"}) {
        EXPECT_EQ(defaults(table), 1) << table;
    }
}

TEST_F(ServerTransaction, RefusedValueUndoesWhatTheUnitAlreadyWroteOnTheServer)
{
    db.RememberLibraryValues({{"company_item_table", "旧公司"}, {"department_item_table", "旧部门"}});
    ASSERT_TRUE(notes.notices().isEmpty()) << notes.texts().join('\n').toStdString();
    const QStringList companies = snapshot("company_item_table");

    // The company's four statements reach the server before the department is refused.
    db.RememberLibraryValues({{"company_item_table", "新公司"},
                              {"department_item_table", QString("部") + QChar(0) + "门"}});
    ASSERT_EQ(notes.notices().size(), 1) << notes.texts().join('\n').toStdString();
    EXPECT_TRUE(notes.notices()[0].text.startsWith(
        "部门中含有无法保存的字符（空字符或不完整的字符），资料库未作更改。"))
        << notes.notices()[0].text.toStdString();
    EXPECT_FALSE(db.m_pConnection->inTransaction());
    EXPECT_EQ(snapshot("company_item_table"), companies);
    EXPECT_EQ(defaultName("company_item_table"), "旧公司");
    EXPECT_EQ(defaultName("department_item_table"), "旧部门");
}

TEST_F(ServerTransaction, LockThatCannotBeTakenGivesOneMessageAndChangesNothing)
{
    const QString before = defaultName("company_item_table");
    // A library table the lock names is gone: the transaction cannot start.
    run("alter table position_item_table rename to position_item_table_old");
    db.RememberLibraryValues({{"company_item_table", "新公司"}, {"position_item_table", "新职位"}});
    ASSERT_EQ(notes.notices().size(), 1) << notes.texts().join('\n').toStdString();
    EXPECT_TRUE(notes.notices()[0].text.contains("position_item_table"))
        << notes.notices()[0].text.toStdString();
    EXPECT_FALSE(db.m_pConnection->inTransaction());
    EXPECT_EQ(defaultName("company_item_table"), before);
    // The next action works again.
    run("alter table position_item_table_old rename to position_item_table");
    db.RememberLibraryValues({{"company_item_table", "新公司"}});
    EXPECT_EQ(notes.notices().size(), 1);
    EXPECT_EQ(defaultName("company_item_table"), "新公司");
}

} // namespace
