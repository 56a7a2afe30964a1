// The placeholders beyond the nine: 【合同期限】, 【工作年限】 and 【出具日期】, replaced after the
// nine in both outputs, and never where the template does not hold them.
#include "ComposeTestText.h"
#include "SampleCertificate.h"
#include "compose/CertificateComposer.h"

#include <gtest/gtest.h>
#include <vector>

using namespace ComposeText;

namespace {

CertificateValues withLegalValues()
{
    CertificateValues v;
    v.name = QStringLiteral("张三");
    v.position = QStringLiteral("工程师");
    v.leaveDate = QStringLiteral("2024年2月29日");
    v.contractTerm = QStringLiteral("2021年3月1日至2024年2月29日");
    v.serviceYears = QStringLiteral("3年");
    v.issueDate = QStringLiteral("2026年12月7日");
    return v;
}

struct ExtraCase
{
    const char* label;
    QString templateText;
    CertificateValues values;
    QString certificate; // at width 4: no title filler
    QString preview;
};

void PrintTo(const ExtraCase& c, std::ostream* os)
{
    *os << c.label;
}

std::vector<ExtraCase> extraCases()
{
    const CertificateValues v = withLegalValues();
    CertificateValues nameIsAMarker = v;
    nameIsAMarker.name = QStringLiteral("【工作年限】");
    CertificateValues empty;
    CertificateValues termSpellsTheNumber = v;
    termSpellsTheNumber.contractTerm = QStringLiteral("【证明编号】");
    termSpellsTheNumber.certificateNumber = QStringLiteral("LZ2026-000007");
    return {
        {"AllThree", QStringLiteral("【合同期限】|【工作年限】|【出具日期】"), v,
         QStringLiteral("2021年3月1日至2024年2月29日|3年|2026年12月7日"),
         B(10) + QStringLiteral("|") + B(4) + QStringLiteral("|＿＿年＿月＿日")},
        {"AmongTheNine", QStringLiteral("【姓名】任【职位】，合同【合同期限】，于【离职日期】离职"), v,
         QStringLiteral("张三任工程师，合同2021年3月1日至2024年2月29日，于2024年2月29日离职"),
         B(3) + QStringLiteral("任") + B(4) + QStringLiteral("，合同") + B(10) +
             QStringLiteral("，于＿＿年＿月＿日离职")},
        {"Twice", QStringLiteral("【工作年限】/【工作年限】"), v, QStringLiteral("3年/3年"),
         B(4) + QStringLiteral("/") + B(4)},
        {"EmptyValuesRemoveThem", QStringLiteral("甲【合同期限】乙【出具日期】丙"), empty,
         QStringLiteral("甲乙丙"), QStringLiteral("甲") + B(10) + QStringLiteral("乙＿＿年＿月＿日丙")},
        // A value that spells a placeholder the template holds is printed as it stands.
        {"NameSpellingAMarkerTheTemplateHolds", QStringLiteral("【姓名】【工作年限】"),
         nameIsAMarker, QStringLiteral("【工作年限】3年"), B(3) + B(4)},
        // Without the placeholder in the template, nothing changes: not even a typed marker.
        {"NameSpellingAMarkerTheTemplateLacks", QStringLiteral("【姓名】"), nameIsAMarker,
         QStringLiteral("【工作年限】"), B(3)},
        {"TermSpellingTheNumber", QStringLiteral("【合同期限】/【证明编号】"),
         termSpellsTheNumber, QStringLiteral("【证明编号】/LZ2026-000007"),
         B(10) + QStringLiteral("/") + B(6)},
        {"InTheRightBlock",
         QStringLiteral("正文") + kOpen + QStringLiteral("某公司<br>【出具日期】</div>"), v,
         QStringLiteral("正文某公司\r\n2026年12月7日"),
         QStringLiteral("正文某公司\r\n＿＿年＿月＿日")},
    };
}

class ExtraPlaceholderTable : public ::testing::TestWithParam<ExtraCase>
{
};

TEST_P(ExtraPlaceholderTable, CertificateAndPreview)
{
    const ExtraCase& c = GetParam();
    EXPECT_EQ(Compose::ComposeCertificate(c.templateText, c.values, 4), title(0) + c.certificate);
    EXPECT_EQ(Compose::RenderTemplatePreview(c.templateText, 4), c.preview);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExtraPlaceholderTable, ::testing::ValuesIn(extraCases()),
                         caseLabel<ExtraCase>);

// The nine keep their exact output whatever the new values hold.
TEST(ExtraPlaceholders, ATemplateWithoutThemComposesAsBefore)
{
    const QString nine =
        QStringLiteral("【姓名】|【性别】|【身份证号】|【公司名称】|【部门】|【职位】|"
                       "【入职日期】|【离职日期】|【离职原因】<br>") +
        kOpen + QStringLiteral("【公司名称】<br>【离职日期】</div>");
    CertificateValues plain = SampleValues();
    plain.idNumber = QStringLiteral("11010519491231002X");
    CertificateValues withExtras = plain;
    withExtras.contractTerm = QStringLiteral("2019年3月1日至2024年6月30日");
    withExtras.serviceYears = QStringLiteral("5年4个月");
    withExtras.issueDate = QStringLiteral("2026年12月7日");

    const QString expected =
        title(8) + QStringLiteral("张三|男|11010519491231002X|示例公司|研发部|工程师|2019年3月1日|"
                                  "2024年6月30日|个人原因\r\n") +
        F(10) + QStringLiteral("示例公司\r\n") + F(10) + QStringLiteral("2024年6月30日");
    EXPECT_EQ(Compose::ComposeCertificate(nine, plain, 20), expected);
    EXPECT_EQ(Compose::ComposeCertificate(nine, withExtras, 20), expected);
}

} // namespace
