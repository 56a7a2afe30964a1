#include "batch/BatchFileNames.h"
#include "BatchFixtures.h"

#include <gtest/gtest.h>

namespace {

TEST(BatchFileNames, ThePatternTakesTheRowsValues)
{
    BatchFileNames names(QStringLiteral("{行号}_{姓名}-{离职日期}"));
    EXPECT_EQ(names.nameFor(MakeRecord(7, "张三", "2024年5月31日")),
              QStringLiteral("7_张三-2024年5月31日.pdf"));
    BatchFileNames standard(QString{});
    EXPECT_EQ(standard.nameFor(MakeRecord(2, "张三", "2024年5月31日")),
              QStringLiteral("张三-2024年5月31日.pdf"));
}

TEST(BatchFileNames, NamesAreMadeSafe)
{
    BatchFileNames names(QStringLiteral("{姓名}.PDF"));
    EXPECT_EQ(names.nameFor(MakeRecord(2, "../张/三:*?\"<>|\t", "")),
              QStringLiteral("_张_三________.pdf"));
    EXPECT_EQ(names.nameFor(MakeRecord(2, " ... ", "")), QStringLiteral("离职证明.pdf"));
    EXPECT_EQ(names.nameFor(MakeRecord(2, QString(200, u'长'), "")).size(), 84);
}

TEST(BatchFileNames, NamesAreUniqueAgainstTheFolderAndEachOther)
{
    BatchFileNames names(QString{}, {QStringLiteral("张三-2024年5月31日.pdf")});
    const BatchRecord record = MakeRecord(2, "张三", "2024年5月31日");
    EXPECT_EQ(names.takeNameFor(record), QStringLiteral("张三-2024年5月31日-2.pdf"));
    EXPECT_EQ(names.takeNameFor(record), QStringLiteral("张三-2024年5月31日-3.pdf"));
    EXPECT_EQ(names.takeNameFor(MakeRecord(3, "李四", "2024年5月31日")),
              QStringLiteral("李四-2024年5月31日.pdf"));
}

} // namespace
