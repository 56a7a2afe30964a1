#include "ComposeTestText.h"
#include "compose/CertificateComposer.h"

#include <gtest/gtest.h>
#include <vector>

using namespace ComposeText;

namespace {

QString dateBlank()
{
    return B(2) + u'年' + B(1) + u'月' + B(1) + u'日';
}

std::vector<WidthCase> previewCases()
{
    return {
        {"EveryPlaceholderGetsItsBlank",
         QStringLiteral("【姓名】|【性别】|【身份证号】|【公司名称】|【部门】|【职位】|"
                        "【入职日期】|【离职日期】|【离职原因】"),
         0,
         B(3) + u'|' + B(2) + u'|' + B(8) + u'|' + B(6) + u'|' + B(4) + u'|' + B(4) + u'|' +
             dateBlank() + u'|' + dateBlank() + u'|' + B(5)},
        {"RepeatedPlaceholder", QStringLiteral("【姓名】与【姓名】"), 0,
         B(3) + QStringLiteral("与") + B(3)},
        {"NoTitleInThePreview", QStringLiteral("正文<br>第二行"), 30,
         QStringLiteral("正文\r\n第二行")},
        {"UnknownBracketTextStays", QStringLiteral("【备注】【姓名"), 0,
         QStringLiteral("【备注】【姓名")},
        {"EmptyTemplate", QString(), 30, QString()},
        {"BlockMeasuresTheBlanks", kOpen + QStringLiteral("【公司名称】<br>【离职日期】"), 20,
         F(13) + B(6) + QStringLiteral("\r\n") + F(13) + dateBlank()},
        {"HeadStaysLeft", QStringLiteral("【姓名】") + kOpen + QStringLiteral("【部门】"), 10,
         B(3) + F(6) + B(4)},
    };
}

class RenderTemplatePreviewTable : public ::testing::TestWithParam<WidthCase>
{
};

TEST_P(RenderTemplatePreviewTable, RendersExpectedText)
{
    const WidthCase& c = GetParam();
    EXPECT_EQ(Compose::RenderTemplatePreview(c.text, c.width), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, RenderTemplatePreviewTable, ::testing::ValuesIn(previewCases()),
                         caseLabel<WidthCase>);

} // namespace
