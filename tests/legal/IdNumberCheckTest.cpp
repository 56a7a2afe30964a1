#include "legal/IdNumberCheck.h"
#include "LegalTestPrint.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using Legal::IdSex;
using Legal::IdVerdict;

// The numbers below were checked by hand against the MOD 11-2 weights
// 7 9 10 5 8 4 2 1 6 3 7 9 10 5 8 4 2 (remainder → 1 0 X 9 8 7 6 5 4 3 2).
// 11010519491231002X is the standard's own example.
const QDate kToday(2026, 12, 7);

struct IdCase
{
    const char* label;
    const char* number;
    IdVerdict verdict;
    const char* words; // what the clerk reads beside the field
};

void PrintTo(const IdCase& c, std::ostream* os)
{
    *os << c.label;
}

class IdNumberTable : public ::testing::TestWithParam<IdCase>
{
};

TEST_P(IdNumberTable, GivesTheVerdictInAClerksWords)
{
    const IdCase& c = GetParam();
    const Legal::IdCheck check = Legal::checkIdNumber(QString::fromUtf8(c.number), kToday);
    EXPECT_EQ(check.verdict, c.verdict);
    EXPECT_EQ(Legal::idVerdictText(check.verdict), QString::fromUtf8(c.words));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IdNumberTable,
    ::testing::ValuesIn(std::vector<IdCase>{
        {"StandardExample", "11010519491231002X", IdVerdict::Valid, ""},
        {"LowerCaseX", "11010519491231002x", IdVerdict::Valid, ""},
        {"DigitCheck", "110105198001010016", IdVerdict::Valid, ""},
        {"LeapDayBirth", "440304200002291236", IdVerdict::Valid, ""},
        {"SpacesAroundIgnored", "  320102198506154568 ", IdVerdict::Valid, ""},
        {"OldFifteenDigitForm", "110105491231002", IdVerdict::Valid, ""},
        {"Nothing", "", IdVerdict::Empty, ""},
        {"OnlySpaces", "   ", IdVerdict::Empty, ""},
        {"WrongCheckDigit", "110105198001010017", IdVerdict::WrongCheckDigit, "校验位不符"},
        {"XWhereADigitBelongs", "11010519800101001X", IdVerdict::WrongCheckDigit, "校验位不符"},
        {"DigitWhereXBelongs", "110105194912310020", IdVerdict::WrongCheckDigit, "校验位不符"},
        {"TwoDigitsSwapped", "110105198001010106", IdVerdict::WrongCheckDigit, "校验位不符"},
        {"SeventeenCharacters", "11010519491231002", IdVerdict::WrongLength, "位数不对"},
        {"NineteenCharacters", "11010519491231002X1", IdVerdict::WrongLength, "位数不对"},
        {"SixteenCharacters", "1101051949123100", IdVerdict::WrongLength, "位数不对"},
        {"FullWidthDigitCountsAsOneButIsNoDigit", "11010519491231002Ｘ", IdVerdict::NotDigits,
         "只能是数字（末位可为X）"},
        {"LetterInside", "1101051949A231002X", IdVerdict::NotDigits, "只能是数字（末位可为X）"},
        {"XInTheOldForm", "11010549123100X", IdVerdict::NotDigits, "只能是数字（末位可为X）"},
        {"February30", "110105198002300016", IdVerdict::NoSuchBirthDate, "出生日期不存在"},
        {"Month13", "110105198013010016", IdVerdict::NoSuchBirthDate, "出生日期不存在"},
        {"Day00", "110105198001000016", IdVerdict::NoSuchBirthDate, "出生日期不存在"},
        {"February29In1900", "110105190002290016", IdVerdict::NoSuchBirthDate, "出生日期不存在"},
        {"BornAfterToday", "110105202701010016", IdVerdict::NoSuchBirthDate, "出生日期不存在"},
        {"OldFormApril31", "110105490431002", IdVerdict::NoSuchBirthDate, "出生日期不存在"},
    }),
    caseLabel<IdCase>);

TEST(IdNumberCheck, ReadsBirthDateAndSexOfBothForms)
{
    const Legal::IdCheck woman = Legal::checkIdNumber(u"11010519491231002X", kToday);
    EXPECT_EQ(woman.birthDate, QDate(1949, 12, 31));
    EXPECT_EQ(woman.sex, IdSex::Female);
    EXPECT_FALSE(woman.oldForm);

    const Legal::IdCheck man = Legal::checkIdNumber(u"110105199003072717", kToday);
    EXPECT_EQ(man.verdict, IdVerdict::Valid);
    EXPECT_EQ(man.birthDate, QDate(1990, 3, 7));
    EXPECT_EQ(man.sex, IdSex::Male);

    // Old form: birth year 19yy, sex from the 15th digit.
    const Legal::IdCheck old = Legal::checkIdNumber(u"110105850615457", kToday);
    EXPECT_EQ(old.verdict, IdVerdict::Valid);
    EXPECT_TRUE(old.oldForm);
    EXPECT_EQ(old.birthDate, QDate(1985, 6, 15));
    EXPECT_EQ(old.sex, IdSex::Male);
}

TEST(IdNumberCheck, CheckDigitOfTheStandardExample)
{
    EXPECT_EQ(Legal::idCheckDigit(u"11010519491231002"), QChar(u'X'));
    EXPECT_EQ(Legal::idCheckDigit(u"11010519800101001"), QChar(u'6'));
}

struct SexCase
{
    const char* label;
    const char* number;
    const char* gender;
    const char* hint;
};

void PrintTo(const SexCase& c, std::ostream* os)
{
    *os << c.label;
}

class SexMismatchTable : public ::testing::TestWithParam<SexCase>
{
};

TEST_P(SexMismatchTable, SaysSoOnlyWhenAValidNumberDisagrees)
{
    const SexCase& c = GetParam();
    const Legal::IdCheck check = Legal::checkIdNumber(QString::fromUtf8(c.number), kToday);
    EXPECT_EQ(Legal::sexMismatchHint(check, QString::fromUtf8(c.gender)),
              QString::fromUtf8(c.hint));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SexMismatchTable,
    ::testing::ValuesIn(std::vector<SexCase>{
        {"WomanAsWoman", "11010519491231002X", "女", ""},
        {"WomanAsMan", "11010519491231002X", "男", "身份证号为女性，与性别“男”不符"},
        {"ManAsWoman", "110105199003072717", "女", "身份证号为男性，与性别“女”不符"},
        {"ManAsMan", "110105199003072717", "男", ""},
        {"OldFormManAsWoman", "110105850615457", "女", "身份证号为男性，与性别“女”不符"},
        {"GenderWithSpaces", "110105199003072717", " 女 ", "身份证号为男性，与性别“女”不符"},
        {"OtherGenderText", "110105199003072717", "未填", ""},
        {"EmptyGender", "110105199003072717", "", ""},
        {"InvalidNumberSaysNothingAboutSex", "110105199003072718", "女", ""},
    }),
    caseLabel<SexCase>);

} // namespace
