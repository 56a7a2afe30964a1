#include "SealFixtures.h"

#include "seal/QrMatrix.h"
#include "seal/SealCheck.h"

#include <functional>
#include <gtest/gtest.h>

using namespace Seal;
using SealTest::otherKey;
using SealTest::ownKey;
using SealTest::typicalFacts;

namespace {

QByteArray signedPayload(const SealKey& key, const SealFacts& facts)
{
    QString error;
    const std::optional<QByteArray> payload = signFacts(key, facts, &error);
    EXPECT_TRUE(payload) << error.toStdString();
    return payload.value_or(QByteArray());
}

CheckResult checkOwn(const QByteArray& payload)
{
    return SealChecker(&ownKey(), nullptr).check(payload);
}

// The longest facts a certificate can plausibly carry: a long company name with a branch, a
// four-character name, a long post, and a number at its longest.
SealFacts worstCaseFacts()
{
    SealFacts facts = typicalFacts();
    facts.number = QStringLiteral("LZ2026-12345678901234567"); // 24 bytes
    facts.company = QStringLiteral("中国某某某某国际工程技术咨询服务集团有限公司北京市海淀区第二分公司");
    facts.name = QStringLiteral("欧阳司马端木娜");
    facts.post = QStringLiteral("高级软件开发工程师兼质量保证部副经理（代理）");
    return facts;
}

} // namespace

TEST(SealPayload, RoundTripCarriesEveryFactAndVerifies)
{
    const SealFacts facts = typicalFacts();
    const QByteArray payload = signedPayload(ownKey(), facts);
    const CheckResult result = checkOwn(payload);
    EXPECT_EQ(result.verdict, Verdict::Genuine);
    EXPECT_EQ(result.signer, Signer::Own);
    EXPECT_EQ(result.facts.number, QStringLiteral("LZ2026-000123"));
    EXPECT_EQ(result.facts.company, QStringLiteral("上海明远信息技术有限公司"));
    EXPECT_EQ(result.facts.name, QStringLiteral("王小明"));
    EXPECT_EQ(result.facts.idLast4, QStringLiteral("123X"));
    EXPECT_EQ(result.facts.joined, QDate(2019, 3, 1));
    EXPECT_EQ(result.facts.left, QDate(2026, 11, 30));
    EXPECT_EQ(result.facts.post, QStringLiteral("软件工程师"));
    EXPECT_EQ(result.facts.issued, QDate(2026, 12, 8));
    EXPECT_EQ(result.facts.textHash, facts.textHash);
    EXPECT_EQ(result.facts.keyId, ownKey().keyId());
    EXPECT_FALSE(result.facts.companyShortened || result.facts.nameShortened ||
                 result.facts.postShortened);
}

TEST(SealPayload, LayoutIsTheDocumentedOne)
{
    SealFacts facts = typicalFacts();
    facts.joined = QDate(1950, 1, 2);
    facts.left = QDate();
    const QByteArray payload = signedPayload(ownKey(), facts);
    // 32 fixed bytes, five strings (13 + 4 + 9 + 15 + 36 bytes and their length bytes), 64 bytes
    // of signature.
    ASSERT_EQ(payload.size(), 32 + 5 + 13 + 4 + 9 + 15 + 36 + 64);
    EXPECT_EQ(quint8(payload.at(0)), 0xA1);
    EXPECT_EQ(quint8(payload.at(1)), 0);
    EXPECT_EQ(payload.mid(2, 8), ownKey().keyId());
    EXPECT_EQ(payload.mid(10, 16), facts.textHash);
    EXPECT_EQ(payload.mid(26, 2), QByteArray::fromHex("0001"));
    EXPECT_EQ(payload.mid(28, 2), QByteArray::fromHex("ffff"));
    EXPECT_EQ(payload.mid(30, 2), QByteArray::fromHex("6dc4")); // 2026-12-08: day 28100
    EXPECT_EQ(payload.mid(32, 14), QByteArray("\x0dLZ2026-000123"));
    EXPECT_EQ(payload.mid(46, 5), QByteArray("\x04" "123X"));
}

// One fact changed by one character (a date by one day, the fingerprint by one bit), the rest
// and the signature left as they were: the check must fail for every fact.
TEST(SealPayload, OneChangedCharacterInAnyFactFailsTheCheck)
{
    const std::vector<std::pair<const char*, std::function<void(SealFacts&)>>> changes = {
        {"number", [](SealFacts& f) { f.number[12] = u'4'; }},
        {"company", [](SealFacts& f) { f.company[2] = u'名'; }},
        {"name", [](SealFacts& f) { f.name[2] = u'鸣'; }},
        {"id tail", [](SealFacts& f) { f.idLast4[3] = u'9'; }},
        {"joined", [](SealFacts& f) { f.joined = f.joined.addDays(-1); }},
        {"left", [](SealFacts& f) { f.left = f.left.addDays(1); }},
        {"post", [](SealFacts& f) { f.post[0] = u'硬'; }},
        {"issued", [](SealFacts& f) { f.issued = f.issued.addDays(1); }},
        {"text hash", [](SealFacts& f) { f.textHash[15] = char(f.textHash[15] ^ 1); }},
        {"shortened flag", [](SealFacts& f) { f.postShortened = true; }},
    };
    const QByteArray payload = signedPayload(ownKey(), typicalFacts());
    const std::optional<DecodedPayload> decoded = decodePayload(payload);
    ASSERT_TRUE(decoded);
    ASSERT_EQ(checkOwn(payload).verdict, Verdict::Genuine);
    for (const auto& [fact, change] : changes) {
        SealFacts altered = decoded->facts;
        change(altered);
        const QByteArray signedPart = encodeSignedPart(altered);
        ASSERT_FALSE(signedPart.isEmpty()) << fact;
        const QByteArray forged = signedPart + decoded->signature;
        const CheckResult result = checkOwn(forged);
        EXPECT_EQ(result.verdict, Verdict::Invalid) << fact;
        EXPECT_EQ(result.signer, Signer::Own) << fact;
    }
}

TEST(SealPayload, AnotherKeysSignatureIsAnUnknownKeyUntilThatKeyIsTrusted)
{
    const QByteArray payload = signedPayload(otherKey(), typicalFacts());
    const CheckResult unknown = checkOwn(payload);
    EXPECT_EQ(unknown.verdict, Verdict::UnknownKey);
    EXPECT_EQ(unknown.signer, Signer::Unknown);
    EXPECT_EQ(unknown.facts.name, QStringLiteral("王小明"));

    QString error;
    QList<TrustedKey> trusted;
    trusted.append({QStringLiteral("北京远航科技有限公司"),
                    std::move(*SealKey::fromPem(otherKey().publicPem(), &error))});
    const CheckResult known = SealChecker(&ownKey(), &trusted).check(payload);
    EXPECT_EQ(known.verdict, Verdict::Genuine);
    EXPECT_EQ(known.signer, Signer::Trusted);
    EXPECT_EQ(known.signerLabel, QStringLiteral("北京远航科技有限公司"));
    EXPECT_EQ(verdictText(known),
              QStringLiteral("真实：签名有效，由受信任单位“北京远航科技有限公司”的密钥签署。"));

    // The other key's id put on our signature: a known key whose signature does not hold.
    QByteArray swapped = signedPayload(ownKey(), typicalFacts());
    swapped.replace(2, 8, otherKey().keyId());
    EXPECT_EQ(SealChecker(&ownKey(), &trusted).check(swapped).verdict, Verdict::Invalid);
}

TEST(SealPayload, LongFactsAreShortenedLongestFirstAndStillFitVersion10)
{
    const QByteArray payload = signedPayload(ownKey(), worstCaseFacts());
    EXPECT_EQ(payload.size(), 213);
    const CheckResult result = checkOwn(payload);
    ASSERT_EQ(result.verdict, Verdict::Genuine);
    EXPECT_TRUE(result.facts.companyShortened);
    EXPECT_TRUE(result.facts.postShortened);
    EXPECT_FALSE(result.facts.nameShortened);
    EXPECT_EQ(result.facts.name, QStringLiteral("欧阳司马端木娜"));
    // 112 bytes of strings: 24 + 4 for number and ID, 21 for the name, 63 left: the longer
    // of company and post loses a character at a time, company first on a tie.
    EXPECT_EQ(result.facts.company, QStringLiteral("中国某某某某国际工程"));
    EXPECT_EQ(result.facts.post, QStringLiteral("高级软件开发工程师兼质"));
    const QrMatrix qr = encodeQr(payload);
    ASSERT_FALSE(qr.isNull());
    EXPECT_LE(qr.version, 10);
    EXPECT_EQ(qr.size, 17 + 4 * qr.version);
}

TEST(SealPayload, ShortFactsNeedASmallerCode)
{
    const QrMatrix qr = encodeQr(signedPayload(ownKey(), typicalFacts()));
    EXPECT_GE(qr.version, 7);
    EXPECT_LE(qr.version, 9);
    EXPECT_TRUE(encodeQr(QByteArray(214, 'x')).isNull()); // beyond version 10 at level M
    EXPECT_EQ(encodeQr(QByteArray(214, 'x'), 40).version, 11);
}

TEST(SealPayload, RefusesFactsThatCannotBeCarried)
{
    QString error;
    SealFacts longNumber = typicalFacts();
    longNumber.number = QString(25, u'9');
    EXPECT_FALSE(signFacts(ownKey(), longNumber, &error));
    EXPECT_EQ(error, QStringLiteral("证明编号过长，无法放入查验码"));
    SealFacts oldDate = typicalFacts();
    oldDate.joined = QDate(1949, 12, 31);
    EXPECT_FALSE(signFacts(ownKey(), oldDate, &error));
    SealFacts noHash = typicalFacts();
    noHash.textHash.clear();
    EXPECT_FALSE(signFacts(ownKey(), noHash, &error));
}

TEST(SealPayload, BytesThatAreNoCodeAreNotACode)
{
    const QByteArray payload = signedPayload(ownKey(), typicalFacts());
    QByteArray wrongFormat = payload;
    wrongFormat[0] = char(0xA2);
    QByteArray badFlags = payload;
    badFlags[1] = char(0x08);
    QByteArray badLength = payload;
    badLength[32] = char(0xF0);
    QByteArray badUtf8 = payload;
    badUtf8[32 + 14 + 5 + 1] = char(0xFF);
    for (const QByteArray& junk : {QByteArray(), QByteArray("https://example.com/"),
                                   payload.left(payload.size() - 1), payload + 'x', wrongFormat,
                                   badFlags, badLength, badUtf8}) {
        EXPECT_EQ(checkOwn(junk).verdict, Verdict::NotACode) << junk.toHex().toStdString();
    }
}

TEST(SealPayload, IdTailAndTextHash)
{
    EXPECT_EQ(idNumberTail(QStringLiteral(" 11010519491231002X ")), QStringLiteral("002X"));
    EXPECT_EQ(idNumberTail(QStringLiteral("12")), QStringLiteral("12"));
    // SHA-256("abc") begins ba7816bf 8f01cfea 414140de 5dae2223.
    EXPECT_EQ(certificateTextHash(QStringLiteral("abc")).toHex(),
              QByteArray("ba7816bf8f01cfea414140de5dae2223"));
}
