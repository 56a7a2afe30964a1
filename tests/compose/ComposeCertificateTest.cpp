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
        {"NameTypedAsGenderStays", QStringLiteral("【姓名】/【性别】"),
         sampleValuesWith([](CertificateValues& v) { v.name = QStringLiteral("【性别】"); }), 4,
         title(0) + QStringLiteral("【性别】/男")},
        {"NameTypedAsReasonStays", QStringLiteral("【姓名】"),
         sampleValuesWith([](CertificateValues& v) { v.name = QStringLiteral("【离职原因】"); }), 4,
         title(0) + QStringLiteral("【离职原因】")},
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

// A value is printed as it stands: placeholders and markup belong to the template alone, and a
// value never completes one of the template's either.
struct LiteralCase
{
    const char* label;
    QString templateText;
    CertificateValues values;
    int width;
    QString expected;
};

void PrintTo(const LiteralCase& c, std::ostream* os)
{
    *os << c.label;
}

std::vector<LiteralCase> literalCases()
{
    const auto named = [](const QString& name) {
        return sampleValuesWith([&name](CertificateValues& v) { v.name = name; });
    };
    const QString closing = QStringLiteral("</div>");
    return {
        {"PlaceholderInAName", QStringLiteral("兹证明【姓名】在【公司名称】任职"),
         named(QStringLiteral("【公司名称】")), 4,
         title(0) + QStringLiteral("兹证明【公司名称】在示例公司任职")},
        {"ExtraPlaceholderInAName", QStringLiteral("【姓名】，编号【证明编号】"),
         sampleValuesWith([](CertificateValues& v) {
             v.name = QStringLiteral("【证明编号】");
             v.certificateNumber = QStringLiteral("LZ2026-000001");
         }),
         4, title(0) + QStringLiteral("【证明编号】，编号LZ2026-000001")},
        {"BreakInANameOutsideTheBlock", QStringLiteral("【姓名】<br>离职"),
         named(QStringLiteral("张<br>三")), 4,
         title(0) + QStringLiteral("张<br>三\r\n离职")},
        {"BlockMarkupInANameMovesNothing",
         QStringLiteral("兹证明【姓名】离职。") + kOpen + QStringLiteral("某公司<br>日期"),
         named(kOpen + QStringLiteral("张三") + closing), 10,
         title(3) + QStringLiteral("兹证明") + kOpen + QStringLiteral("张三") + closing +
             QStringLiteral("离职。") + F(7) + QStringLiteral("某公司\r\n") + F(7) +
             QStringLiteral("日期")},
        // Inside the right block a value's characters count towards its width, markup and all.
        {"BreakInAValueInsideTheBlock", QStringLiteral("正文") + kOpen + QStringLiteral("【公司名称】<br>日期"),
         sampleValuesWith([](CertificateValues& v) { v.company = QStringLiteral("甲<br>乙"); }), 20,
         title(8) + QStringLiteral("正文") + F(14) + QStringLiteral("甲<br>乙\r\n") + F(14) +
             QStringLiteral("日期")},
        {"ValueCompletingTheTemplatesBreak", QStringLiteral("甲<b【姓名】乙"),
         named(QStringLiteral("r>")), 4, title(0) + QStringLiteral("甲<br>乙")},
        {"ValueCompletingTheTemplatesPlaceholder", QStringLiteral("【姓【部门】】"),
         sampleValuesWith([](CertificateValues& v) { v.department = QStringLiteral("名"); }), 4,
         title(0) + QStringLiteral("【姓名】")},
        {"MarkerLettersBetweenTheTemplatesHalves", QStringLiteral("甲<【姓名】>乙"),
         named(QStringLiteral("br")), 4, title(0) + QStringLiteral("甲<br>乙")},
        // Characters of the private-use area that the template holds stay as they are.
        {"PrivateUseCharactersOfTheTemplateStay", QStringLiteral("\uE000【姓名】\uE001"),
         named(QStringLiteral("<br>")), 4,
         title(0) + QStringLiteral("\uE000<br>\uE001")},
    };
}

class LiteralValueTable : public ::testing::TestWithParam<LiteralCase>
{
};

TEST_P(LiteralValueTable, ValueIsPrintedAsItStands)
{
    const LiteralCase& c = GetParam();
    EXPECT_EQ(Compose::ComposeCertificate(c.templateText, c.values, c.width), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, LiteralValueTable, ::testing::ValuesIn(literalCases()),
                         caseLabel<LiteralCase>);

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
