// The facts a code carries at the edges of what it can hold: dates at the ends of years and of
// the carried range, ID numbers shorter than four characters, company names and posts too long
// for the code, and the form's date texts as a sheet or a picker gives them.
#include "SealFixtures.h"

#include "seal/CertificateSeal.h"
#include "seal/QrMatrix.h"
#include "seal/SealCheck.h"

#include <gtest/gtest.h>

using namespace Seal;
using SealTest::ownKey;
using SealTest::typicalFacts;

namespace {

// Signed, read back and checked with the signer's key.
CheckResult roundTrip(const SealFacts& facts)
{
    QString error;
    const std::optional<QByteArray> payload = signFacts(ownKey(), facts, &error);
    EXPECT_TRUE(payload) << error.toStdString();
    if (!payload) {
        return {};
    }
    EXPECT_LE(payload->size(), kMaxPayloadBytes);
    EXPECT_FALSE(encodeQr(*payload).isNull());
    return SealChecker(&ownKey(), nullptr).check(*payload);
}

TEST(SealEdgeCases, DatesAtTheEndsOfYearsAndOfTheCarriedRange)
{
    struct Case
    {
        const char* what;
        QDate date;
    };
    const Case cases[] = {
        {"first day carried", QDate(1950, 1, 1)},
        {"last day of a century", QDate(1999, 12, 31)},
        {"first day of the next", QDate(2000, 1, 1)},
        {"a leap day", QDate(2024, 2, 29)},
        {"new year's eve", QDate(2026, 12, 31)},
        {"new year's day", QDate(2027, 1, 1)},
        {"last day carried", QDate(2129, 6, 5)},
        {"no date", QDate()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SealFacts facts = typicalFacts();
        facts.joined = c.date;
        facts.left = c.date;
        facts.issued = c.date;
        const CheckResult result = roundTrip(facts);
        EXPECT_EQ(result.verdict, Verdict::Genuine);
        EXPECT_EQ(result.facts.joined, c.date);
        EXPECT_EQ(result.facts.left, c.date);
        EXPECT_EQ(result.facts.issued, c.date);
    }
}

TEST(SealEdgeCases, DatesOutsideTheCarriedRangeAreRefused)
{
    for (const QDate& date : {QDate(1949, 12, 31), QDate(2129, 6, 6), QDate(2200, 1, 1)}) {
        SCOPED_TRACE(date.toString(Qt::ISODate).toStdString());
        for (int field = 0; field < 3; ++field) {
            SealFacts facts = typicalFacts();
            (field == 0 ? facts.joined : field == 1 ? facts.left : facts.issued) = date;
            QString error;
            EXPECT_FALSE(signFacts(ownKey(), facts, &error));
            EXPECT_TRUE(error.contains(QStringLiteral("日期超出查验码可记录的范围")))
                << error.toStdString();
        }
    }
}

TEST(SealEdgeCases, IdNumbersOfAnyLengthGiveAtMostTheirLastFourCharacters)
{
    struct Case
    {
        QString idNumber;
        QString tail;
    };
    const Case cases[] = {
        {QStringLiteral(""), QStringLiteral("")},
        {QStringLiteral("7"), QStringLiteral("7")},
        {QStringLiteral("12X"), QStringLiteral("12X")},
        {QStringLiteral("1234"), QStringLiteral("1234")},
        {QStringLiteral(" 12345 "), QStringLiteral("2345")},
        {QStringLiteral("11010519491231002X"), QStringLiteral("002X")},
        {QStringLiteral("Ｇ１２３４５"), QStringLiteral("２３４５")}, // full-width: 12 bytes
        {QStringLiteral("H1234567(8)"), QStringLiteral("7(8)")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.idNumber.toStdString());
        CertificateValues values;
        values.idNumber = c.idNumber;
        values.certificateNumber = QStringLiteral("LZ2026-000001");
        SealFacts facts = factsFor(values, QStringLiteral("文字"), QDate(2026, 12, 8));
        EXPECT_EQ(facts.idLast4, c.tail);
        const CheckResult result = roundTrip(facts);
        EXPECT_EQ(result.verdict, Verdict::Genuine);
        EXPECT_EQ(result.facts.idLast4, c.tail);
    }
}

TEST(SealEdgeCases, TooLongFactsAreShortenedLongestFirstToWholeCharacters)
{
    // The strings may take 112 bytes: with the number (13) and the ID's tail (4), company, name
    // and post share 95.
    const QString company40 = QString(40, QChar(u'甲'));  // 120 bytes
    // 71 bytes: 13 + 4 + 71 + 9 + 15 = 112, exactly what fits.
    const QString exactly = QString(23, QChar(u'乙')) + QStringLiteral("ab");
    struct Case
    {
        const char* what;
        QString company;
        QString name;
        QString post;
        QString company2; // as carried
        QString name2;
        QString post2;
        bool companyCut, nameCut, postCut;
    };
    const Case cases[] = {
        {"all fits", exactly, QStringLiteral("王小明"), QStringLiteral("软件工程师"), exactly,
         QStringLiteral("王小明"), QStringLiteral("软件工程师"), false, false, false},
        {"one byte over: the company loses its last character", exactly + QStringLiteral("c"),
         QStringLiteral("王小明"), QStringLiteral("软件工程师"), exactly, QStringLiteral("王小明"),
         QStringLiteral("软件工程师"), true, false, false},
        {"longest company", company40, QStringLiteral("王小明"), QStringLiteral("软件工程师"),
         QString(23, QChar(u'甲')), QStringLiteral("王小明"), QStringLiteral("软件工程师"), true,
         false, false},
        // A tie between company and post: the company gives first, then they take turns.
        {"company and post tie", QString(20, QChar(u'甲')), QStringLiteral("王"),
         QString(20, QChar(u'丙')), QString(15, QChar(u'甲')), QStringLiteral("王"),
         QString(15, QChar(u'丙')), true, false, true},
        // A surrogate pair at the cut goes whole, never half.
        {"a character outside the BMP at the cut", exactly + QStringLiteral("😀"),
         QStringLiteral("王小明"), QStringLiteral("软件工程师"), exactly, QStringLiteral("王小明"),
         QStringLiteral("软件工程师"), true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SealFacts facts = typicalFacts();
        facts.number = QStringLiteral("LZ2026-000123");
        facts.idLast4 = QStringLiteral("123X");
        facts.company = c.company;
        facts.name = c.name;
        facts.post = c.post;
        const CheckResult result = roundTrip(facts);
        EXPECT_EQ(result.verdict, Verdict::Genuine);
        EXPECT_EQ(result.facts.company, c.company2);
        EXPECT_EQ(result.facts.name, c.name2);
        EXPECT_EQ(result.facts.post, c.post2);
        EXPECT_EQ(result.facts.companyShortened, c.companyCut);
        EXPECT_EQ(result.facts.nameShortened, c.nameCut);
        EXPECT_EQ(result.facts.postShortened, c.postCut);
    }
}

TEST(SealEdgeCases, NumbersUpToTwentyFourBytes)
{
    SealFacts facts = typicalFacts();
    facts.number = QStringLiteral("LZ2026-12345678901234567"); // 24 bytes
    EXPECT_EQ(roundTrip(facts).facts.number, facts.number);
    facts.number += u'8';
    QString error;
    EXPECT_FALSE(signFacts(ownKey(), facts, &error));
    EXPECT_EQ(error, QStringLiteral("证明编号过长，无法放入查验码"));
}

TEST(SealEdgeCases, TheFormsDateTextsAsTheyCome)
{
    struct Case
    {
        QString text;
        QDate date;
    };
    const Case cases[] = {
        {QStringLiteral("2019年3月1日"), QDate(2019, 3, 1)},
        {QStringLiteral("2026年12月31日"), QDate(2026, 12, 31)},
        {QStringLiteral(" 2027 年 1 月 1 日 "), QDate(2027, 1, 1)},
        {QStringLiteral("2019-03-01"), QDate(2019, 3, 1)},
        {QStringLiteral("2019/3/1"), QDate(2019, 3, 1)},
        {QStringLiteral("2019.12.31"), QDate(2019, 12, 31)},
        {QStringLiteral("2024年2月29日"), QDate(2024, 2, 29)},
        {QStringLiteral("2023年2月29日"), QDate()},
        {QStringLiteral("2019年13月1日"), QDate()},
        {QStringLiteral("2019年12月32日"), QDate()},
        {QStringLiteral("至今"), QDate()},
        {QStringLiteral(""), QDate()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(parseFactDate(c.text), c.date);
    }
}

TEST(SealEdgeCases, TheIssueDateOfTheValuesWinsOverTheDayOfSigning)
{
    CertificateValues values;
    values.certificateNumber = QStringLiteral("LZ2026-000009");
    values.issueDate = QStringLiteral("2026年12月31日");
    EXPECT_EQ(factsFor(values, QString(), QDate(2027, 1, 4)).issued, QDate(2026, 12, 31));
    values.issueDate.clear();
    EXPECT_EQ(factsFor(values, QString(), QDate(2027, 1, 4)).issued, QDate(2027, 1, 4));
}

} // namespace
