#include "store/JetDialect.h"

#include <gtest/gtest.h>

namespace {

std::string translated(const char* statement)
{
    return TranslateJetStatement(QString::fromUtf8(statement)).toStdString();
}

TEST(JetDialect, TopBecomesATrailingLimit)
{
    EXPECT_EQ(translated("select top 1 * from t where itemid=3"),
              "select * from t where itemid=3 limit 1");
    EXPECT_EQ(translated("SELECT TOP 25 * from t"), "SELECT * from t limit 25");
    EXPECT_EQ(translated("select top 1 * from t where item3='a''b'"),
              "select * from t where item3='a''b' limit 1");
}

TEST(JetDialect, OtherStatementsPassUnchanged)
{
    for (const char* statement :
         {"select * from t", "select * from t where item3='select top 1 * from x'",
          "select topic from t", "delete from t where itemid=1",
          "UPDATE t SET item3 = 'select top 2 ' WHERE itemid=1", ""}) {
        EXPECT_EQ(translated(statement), statement);
    }
}

} // namespace
