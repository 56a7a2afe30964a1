#include "legal/TemplateCompleteness.h"
#include "LegalTestPrint.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using Item = Legal::RequiredItem;

struct CompletenessCase
{
    const char* label;
    const char* templateText;
    std::vector<Item> missing;
    const char* hint;
};

void PrintTo(const CompletenessCase& c, std::ostream* os)
{
    *os << c.label;
}

class CompletenessTable : public ::testing::TestWithParam<CompletenessCase>
{
};

TEST_P(CompletenessTable, NamesWhatTheTemplateDoesNotState)
{
    const CompletenessCase& c = GetParam();
    const QList<Item> missing = Legal::missingItems(QString::fromUtf8(c.templateText));
    EXPECT_EQ(std::vector<Item>(missing.begin(), missing.end()), c.missing);
    EXPECT_EQ(Legal::missingItemsHint(missing), QString::fromUtf8(c.hint));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompletenessTable,
    ::testing::ValuesIn(std::vector<CompletenessCase>{
        {"Empty",
         "",
         {Item::ContractTerm, Item::LeaveDate, Item::Post, Item::ServiceYears},
         "模板未写明：合同期限、离职日期、工作岗位、工作年限"},
        {"AllFourWithServiceYears", "【合同期限】【离职日期】【职位】【工作年限】", {}, ""},
        {"BothDatesStateTheYears",
         "自【入职日期】起任【职位】，合同期限【合同期限】，于【离职日期】离职",
         {},
         ""},
        {"JoinDateAloneIsNotEnough",
         "【合同期限】【入职日期】【职位】",
         {Item::LeaveDate, Item::ServiceYears},
         "模板未写明：离职日期、工作年限"},
        {"LeaveDateAloneStatesOnlyTheDate",
         "【合同期限】【离职日期】【职位】",
         {Item::ServiceYears},
         "模板未写明：工作年限"},
        {"TypicalOldTemplate",
         "【姓名】在【公司名称】【部门】任【职位】，【入职日期】至【离职日期】",
         {Item::ContractTerm},
         "模板未写明：合同期限"},
        {"DepartmentIsNoPost",
         "【合同期限】【离职日期】【部门】【工作年限】",
         {Item::Post},
         "模板未写明：工作岗位"},
        {"PlainWordsDoNotCount",
         "合同期限 离职日期 职位 工作年限",
         {Item::ContractTerm, Item::LeaveDate, Item::Post, Item::ServiceYears},
         "模板未写明：合同期限、离职日期、工作岗位、工作年限"},
        {"HalfBracketsDoNotCount",
         "【合同期限【离职日期】【职位】【工作年限】",
         {Item::ContractTerm},
         "模板未写明：合同期限"},
    }),
    caseLabel<CompletenessCase>);

} // namespace
