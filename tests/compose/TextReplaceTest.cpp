#include "compose/TextReplace.h"
#include "ComposeTestText.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct ReplaceCase
{
    const char* label;
    QString text;
    QString before;
    QString after;
    QString expected;
};

void PrintTo(const ReplaceCase& c, std::ostream* os)
{
    *os << c.label;
}

class ReplaceAllTable : public ::testing::TestWithParam<ReplaceCase>
{
};

TEST_P(ReplaceAllTable, ReplacesLeftToRight)
{
    const ReplaceCase& c = GetParam();
    EXPECT_EQ(Compose::replaceAll(c.text, c.before, c.after), c.expected);
    QString appended = QStringLiteral("前");
    Compose::appendReplaced(appended, c.text, c.before, c.after);
    EXPECT_EQ(appended, QStringLiteral("前") + c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReplaceAllTable,
                         ::testing::ValuesIn(std::vector<ReplaceCase>{
                             {"NoOccurrence", "abc", "x", "y", "abc"},
                             {"EmptyText", "", "<br>", "\r\n", ""},
                             {"EmptyNeedleChangesNothing", "abc", "", "y", "abc"},
                             {"AtBothEnds", "<br>a<br>", "<br>", "\r\n", "\r\na\r\n"},
                             {"Adjacent", "<br><br>", "<br>", "\r\n", "\r\n\r\n"},
                             {"OverlapTakesLeftmost", "aaa", "aa", "b", "ba"},
                             {"InsertedTextNotSearchedAgain", "ab", "a", "aa", "aab"},
                             {"RemovalDoesNotJoinNewOccurrence", "<b<br>r>", "<br>", "", "<br>"},
                             {"PartialAtEnd", "a<br", "<br>", "\r\n", "a<br"},
                             {"FirstCharacterRepeated", "<<<br>", "<br>", "|", "<<|"},
                             {"NeedleLongerThanText", "<b", "<br>", "|", "<b"},
                         }),
                         ComposeText::caseLabel<ReplaceCase>);

TEST(FindText, HonoursStartPosition)
{
    const QString text = QStringLiteral("【姓名】与【姓名】");
    EXPECT_EQ(Compose::findText(text, u"【姓名】"), 0);
    EXPECT_EQ(Compose::findText(text, u"【姓名】", 1), 5);
    EXPECT_EQ(Compose::findText(text, u"【姓名】", 6), -1);
    EXPECT_EQ(Compose::findText(text, u"【姓名】", text.size()), -1);
}

} // namespace
