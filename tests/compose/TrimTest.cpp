#include "ComposeTestText.h"
#include "compose/CertificateComposer.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct TrimCase
{
    const char* label;
    QString input;
    QString expected;
};

void PrintTo(const TrimCase& c, std::ostream* os)
{
    *os << c.label;
}

class TrimDateTable : public ::testing::TestWithParam<TrimCase>
{
};

TEST_P(TrimDateTable, KeepsElevenCharactersWithoutSpaces)
{
    EXPECT_EQ(Compose::TrimDateText(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrimDateTable,
    ::testing::ValuesIn(std::vector<TrimCase>{
        {"Empty", QString(), QString()},
        {"ShortDateWhole", QStringLiteral("2024年6月3日"), QStringLiteral("2024年6月3日")},
        {"ElevenCharactersWhole", QStringLiteral("2024年12月31日"),
         QStringLiteral("2024年12月31日")},
        {"TwelfthCharacterOnDropped", QStringLiteral("2024年12月31日 星期二"),
         QStringLiteral("2024年12月31日")},
        {"SpacesInsideDropped", QStringLiteral(" 2024 年 1 月 1 日"), QStringLiteral("2024年1月")},
        {"SpacesCountBeforeRemoval", QStringLiteral("2024 年 12 月 31 日"),
         QStringLiteral("2024年12月")},
        {"OnlySpaces", QStringLiteral("   "), QString()},
        {"OtherWhiteSpaceKept", QStringLiteral("2024\t年\u3000"), QStringLiteral("2024\t年\u3000")},
    }),
    ComposeText::caseLabel<TrimCase>);

class TrimReasonTable : public ::testing::TestWithParam<TrimCase>
{
};

TEST_P(TrimReasonTable, CutsAtFirstFullWidthParenthesisAfterTheStart)
{
    EXPECT_EQ(Compose::TrimReasonText(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrimReasonTable,
    ::testing::ValuesIn(std::vector<TrimCase>{
        {"Empty", QString(), QString()},
        {"NoParenthesis", QStringLiteral("个人原因"), QStringLiteral("个人原因")},
        {"NoteDropped", QStringLiteral("个人原因（家庭搬迁）"), QStringLiteral("个人原因")},
        {"EverythingAfterFirstDropped", QStringLiteral("甲（a）乙（b）"), QStringLiteral("甲")},
        {"CutAtSecondCharacter", QStringLiteral("甲（"), QStringLiteral("甲")},
        {"LeadingParenthesisKeepsWhole", QStringLiteral("（注）个人原因"),
         QStringLiteral("（注）个人原因")},
        {"LeadingParenthesisIgnoresLaterOnes", QStringLiteral("（注）个人（原因）"),
         QStringLiteral("（注）个人（原因）")},
        {"OnlyParenthesis", QStringLiteral("（"), QStringLiteral("（")},
        {"HalfWidthParenthesisNotACut", QStringLiteral("个人(原因)"), QStringLiteral("个人(原因)")},
        {"WhiteSpaceKept", QStringLiteral(" 个人原因 （注）"), QStringLiteral(" 个人原因 ")},
    }),
    ComposeText::caseLabel<TrimCase>);

} // namespace
