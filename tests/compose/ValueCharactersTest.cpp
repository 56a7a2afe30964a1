#include "SampleCertificate.h"
#include "compose/ValueCharacters.h"

#include <gtest/gtest.h>

namespace {

using Compose::isRefusedValueCharacter;

TEST(ValueCharacters, ControlAndDirectionCharactersAreRefusedTabIsNot)
{
    for (char32_t c : {0x00, 0x01, 0x07, 0x0A, 0x0B, 0x0D, 0x1B, 0x1F, 0x7F, 0x80, 0x85, 0x9F,
                       0x202A, 0x202B, 0x202C, 0x202D, 0x202E, 0x2066, 0x2067, 0x2068, 0x2069}) {
        EXPECT_TRUE(isRefusedValueCharacter(c)) << std::hex << uint32_t(c);
    }
    // The neighbours of each range, the tab, and what Chinese names and addresses hold.
    for (char32_t c : {0x09, 0x20, 0x7E, 0xA0, 0xA1, 0x2029, 0x202F, 0x2065, 0x206A, 0x200B,
                       0x3000, 0x5F20, 0xFF08, 0x00B7}) {
        EXPECT_FALSE(isRefusedValueCharacter(c)) << std::hex << uint32_t(c);
    }
}

TEST(ValueCharacters, TheProblemNamesTheFieldAndTheCharacter)
{
    struct Case
    {
        QString value;
        QString problem;
    };
    const Case cases[] = {
        {QStringLiteral("张三"), QString()},
        {QStringLiteral("张\t三"), QString()},
        {QString(), QString()},
        {QStringLiteral("张\u202E三fdp.exe"),
         QStringLiteral("姓名中有不可见的文字方向控制符（U+202E），请删去后再试")},
        {QStringLiteral("张三") + QChar(0), QStringLiteral("姓名中有不可见的空字符（U+0000），请删去后再试")},
        {QStringLiteral("\x1b[31m张三"), QStringLiteral("姓名中有不可见的转义符（U+001B），请删去后再试")},
        {QStringLiteral("张\a三"), QStringLiteral("姓名中有不可见的控制字符（U+0007），请删去后再试")},
        {QStringLiteral("张\u0085三"), QStringLiteral("姓名中有不可见的控制字符（U+0085），请删去后再试")},
        // The first refused character is the one named.
        {QStringLiteral("\u2066甲\n"), QStringLiteral("姓名中有不可见的文字方向控制符（U+2066），请删去后再试")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Compose::valueCharacterProblem(c.value, u"姓名"), c.problem);
    }
}

TEST(ValueCharacters, EveryValueOfACertificateIsChecked)
{
    CertificateValues values = SampleValues();
    EXPECT_EQ(Compose::certificateValuesProblem(values), QString());
    values.reason = QStringLiteral("个人\r\n原因");
    EXPECT_EQ(Compose::certificateValuesProblem(values),
              QStringLiteral("离职原因中有不可见的回车符（U+000D），请删去后再试"));
    values = SampleValues();
    values.contractTerm = QStringLiteral("\u202D2021年");
    EXPECT_EQ(Compose::certificateValuesProblem(values),
              QStringLiteral("合同期限中有不可见的文字方向控制符（U+202D），请删去后再试"));
}

TEST(ValueCharacters, ATerminalGetsControlsWrittenOut)
{
    EXPECT_EQ(Compose::escapeControlCharacters(u"张\x1b[2J三\a\u202E四\t五\r\n"),
              QStringLiteral("张\\u{001B}[2J三\\u{0007}\\u{202E}四\t五\r\n"));
    EXPECT_EQ(Compose::escapeControlCharacters(u"C:\\路径\\u{1B}"), QStringLiteral("C:\\路径\\u{1B}"));
}

} // namespace
