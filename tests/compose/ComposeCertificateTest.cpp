#include "ComposeTestText.h"
#include "SampleCertificate.h"
#include "compose/CertificateComposer.h"

#include <gtest/gtest.h>
#include <vector>

using namespace ComposeText;

namespace {

template <typename Change> CertificateValues sampleValuesWith(Change change)
{
    CertificateValues v = SampleValues();
    change(v);
    return v;
}

struct ComposeCase
{
    const char* label;
    QString templateText;
    CertificateValues values;
    int width;
    QString expected;
};

void PrintTo(const ComposeCase& c, std::ostream* os)
{
    *os << c.label;
}

const QString kAllNine =
    QStringLiteral("【姓名】|【性别】|【身份证号】|【公司名称】|【部门】|【职位】|"
                   "【入职日期】|【离职日期】|【离职原因】");

std::vector<ComposeCase> composeCases()
{
    return {
        {"NoPlaceholders", QStringLiteral("兹证明。<br>特此证明。"), SampleValues(), 10,
         title(3) + QStringLiteral("兹证明。\r\n特此证明。")},
        {"EmptyTemplate", QString(), SampleValues(), 10, title(3)},
        {"AllNineValues", kAllNine, SampleValues(), 4,
         title(0) + QStringLiteral("张三|男|110101199001011234|示例公司|研发部|工程师|"
                                   "2019年3月1日|2024年6月30日|个人原因")},
        {"RepeatedPlaceholders", QStringLiteral("【姓名】与【姓名】，【部门】【部门】"),
         SampleValues(), 4, title(0) + QStringLiteral("张三与张三，研发部研发部")},
        {"EmptyNameClosesUp", QStringLiteral("员工【姓名】已离职"),
         sampleValuesWith([](CertificateValues& v) { v.name.clear(); }), 4,
         title(0) + QStringLiteral("员工已离职")},
        {"AllValuesEmpty", QStringLiteral("甲") + kAllNine + QStringLiteral("乙"),
         CertificateValues{}, 4, title(0) + QStringLiteral("甲||||||||乙")},
        {"NameTypedAsGenderIsReplacedAgain", QStringLiteral("【姓名】/【性别】"),
         sampleValuesWith([](CertificateValues& v) { v.name = QStringLiteral("【性别】"); }), 4,
         title(0) + QStringLiteral("男/男")},
        {"NameTypedAsReasonIsReplacedAgain", QStringLiteral("【姓名】"),
         sampleValuesWith([](CertificateValues& v) { v.name = QStringLiteral("【离职原因】"); }), 4,
         title(0) + QStringLiteral("个人原因")},
        {"GenderTypedAsNameStays", QStringLiteral("【性别】"),
         sampleValuesWith([](CertificateValues& v) { v.gender = QStringLiteral("【姓名】"); }), 4,
         title(0) + QStringLiteral("【姓名】")},
        {"UnknownBracketTextStays", QStringLiteral("【备注】【姓名"), SampleValues(), 4,
         title(0) + QStringLiteral("【备注】【姓名")},
        {"TitleWidth0", QStringLiteral("正文"), SampleValues(), 0,
         title(0) + QStringLiteral("正文")},
        {"TitleWidth3", QStringLiteral("正文"), SampleValues(), 3,
         title(0) + QStringLiteral("正文")},
        {"TitleWidth4", QStringLiteral("正文"), SampleValues(), 4,
         title(0) + QStringLiteral("正文")},
        {"TitleWidth5", QStringLiteral("正文"), SampleValues(), 5,
         title(0) + QStringLiteral("正文")},
        {"TitleWidth6", QStringLiteral("正文"), SampleValues(), 6,
         title(1) + QStringLiteral("正文")},
        {"TitleWidth31", QStringLiteral("正文"), SampleValues(), 31,
         title(13) + QStringLiteral("正文")},
        {"TitleWidth32", QStringLiteral("正文"), SampleValues(), 32,
         title(14) + QStringLiteral("正文")},
        {"TitleWidth330", QStringLiteral("正文"), SampleValues(), 330,
         title(163) + QStringLiteral("正文")},
        {"NegativeWidthIsNoRoom", QStringLiteral("正文"), SampleValues(), -7,
         title(0) + QStringLiteral("正文")},
        {"WidthBeyondProbeIsHeldAt330", QStringLiteral("正文"), SampleValues(), 100000,
         title(163) + QStringLiteral("正文")},
        {"ValueWithBreakSplitsLine", QStringLiteral("【姓名】"),
         sampleValuesWith([](CertificateValues& v) { v.name = QStringLiteral("张<br>三"); }), 4,
         title(0) + QStringLiteral("张\r\n三")},
        {"ValueWithOpeningMarkerStartsBlockEarly",
         QStringLiteral("【姓名】甲") + kOpen + QStringLiteral("乙<br>丙"),
         sampleValuesWith([](CertificateValues& v) { v.name = kOpen + QStringLiteral("张"); }), 10,
         title(3) + F(7) + QStringLiteral("张甲乙\r\n") + F(7) + QStringLiteral("丙")},
        {"BlockWidthCountsValues",
         QStringLiteral("正文") + kOpen + QStringLiteral("【公司名称】<br>【离职日期】"),
         SampleValues(), 20,
         title(8) + QStringLiteral("正文") + F(10) + QStringLiteral("示例公司\r\n") + F(10) +
             QStringLiteral("2024年6月30日")},
        {"EmptyValuesNarrowTheBlock", kOpen + QStringLiteral("【公司名称】（盖章）<br>日期："),
         CertificateValues{}, 20,
         title(8) + F(16) + QStringLiteral("（盖章）\r\n") + F(16) + QStringLiteral("日期：")},
    };
}

class ComposeCertificateTable : public ::testing::TestWithParam<ComposeCase>
{
};

TEST_P(ComposeCertificateTable, ComposesExpectedText)
{
    const ComposeCase& c = GetParam();
    const QString result = Compose::ComposeCertificate(c.templateText, c.values, c.width);
    EXPECT_EQ(result, c.expected);
    EXPECT_FALSE(result.contains(QStringLiteral("<br>")));
    EXPECT_FALSE(result.contains(kOpen));
}

INSTANTIATE_TEST_SUITE_P(Cases, ComposeCertificateTable, ::testing::ValuesIn(composeCases()),
                         caseLabel<ComposeCase>);

TEST(ComposeCertificate, LeavesTemplateAndValuesUntouched)
{
    const QString templateText = QStringLiteral("【姓名】<br>") + kOpen + QStringLiteral("乙");
    const CertificateValues values = SampleValues();
    const QString before = templateText;
    Compose::ComposeCertificate(templateText, values, 10);
    EXPECT_EQ(templateText, before);
    EXPECT_EQ(values.name, QStringLiteral("张三"));
}

TEST(WidthProbe, HoldsThirtyThreeRunsOfTheTenNumerals)
{
    const QString probe = Compose::widthProbe();
    ASSERT_EQ(probe.size(), 330);
    for (qsizetype at = 0; at < probe.size(); at += 10) {
        EXPECT_EQ(probe.mid(at, 10), QStringLiteral("一二三四五六七八九十")) << "at " << at;
    }
}

} // namespace
