#include "batch/BatchField.h"

#include <gtest/gtest.h>

namespace {

struct FieldCase
{
    const char* header;
    bool date;
};

// The columns in their order: the form's nine, then the contract's three.
const FieldCase kColumns[] = {
    {"姓名", false},       {"性别", false},         {"身份证号", false},
    {"公司名称", false},   {"部门", false},         {"职位", false},
    {"入职日期", true},    {"离职日期", true},      {"离职原因", false},
    {"合同起始日期", true}, {"合同终止日期", true}, {"无固定期限", false},
};

TEST(BatchField, EveryColumnHasItsHeaderInTheFormsOrder)
{
    ASSERT_EQ(std::size(kColumns), kBatchFields.size());
    for (size_t i = 0; i < kBatchFields.size(); ++i) {
        const QString header = QString::fromUtf8(kColumns[i].header);
        EXPECT_EQ(kBatchFields[i].index(), int(i));
        EXPECT_EQ(batchFieldHeader(kBatchFields[i]), header) << i;
        EXPECT_EQ(batchFieldOfHeader(header), kBatchFields[i]) << i;
        EXPECT_EQ(isDateField(kBatchFields[i]), kColumns[i].date) << kColumns[i].header;
    }
}

TEST(BatchField, TheFormsFieldsAreTheComposersAndTheContractComesAfter)
{
    EXPECT_EQ(BatchField(Compose::FieldIndex::Name), kBatchFields[0]);
    EXPECT_EQ(BatchField(Compose::FieldIndex::Reason), kBatchFields[8]);
    EXPECT_TRUE(BatchField(Compose::FieldIndex::Reason).isFormField());
    EXPECT_FALSE(BatchField::ContractStart.isFormField());
    EXPECT_EQ(BatchField::ContractStart.index(), 9);
    EXPECT_EQ(BatchField::OpenEnded.index(), 11);
}

TEST(BatchField, HeadersMatchAroundWhiteSpaceAndNothingElse)
{
    EXPECT_EQ(batchFieldOfHeader(QStringLiteral("　身份证号 ")), Compose::FieldIndex::IdNumber);
    EXPECT_EQ(batchFieldOfHeader(QStringLiteral("\t无固定期限\u3000")), BatchField::OpenEnded);
    EXPECT_FALSE(batchFieldOfHeader(QStringLiteral("身份证")));
    EXPECT_FALSE(batchFieldOfHeader(QStringLiteral("姓 名")));
    EXPECT_FALSE(batchFieldOfHeader(QString()));
}

} // namespace
