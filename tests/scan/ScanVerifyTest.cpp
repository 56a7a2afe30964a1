#include "ScanFixtures.h"

#include "register/CertificateRegister.h"
#include "scan/ScanVerify.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ScanTest;

namespace {

class ScanVerify : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QString error;
        trusted.append({QStringLiteral("北京远航科技有限公司"),
                        *Seal::SealKey::fromPem(strangerKey().publicPem(), &error)});
    }

    QString imageOf(const QByteArray& payload, const char* name)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(codeImage(Seal::encodeQr(payload)).save(path, "PNG"));
        return path;
    }

    Scan::ScanReport verify(const QString& path, bool trustStranger = false,
                            Register::CertificateRegister* reg = nullptr)
    {
        const Seal::SealChecker checker(&ownKey(), trustStranger ? &trusted : nullptr);
        return Scan::verifyFile(path, checker, reg);
    }

    QTemporaryDir dir;
    QList<Seal::TrustedKey> trusted;
};

} // namespace

TEST_F(ScanVerify, OutcomesAndTheirExitNumbers)
{
    const QByteArray genuine = seal(ownKey(), values(), certificateText()).payload;
    QByteArray altered = genuine;
    altered[33] = 'M'; // the number's first letter
    const QByteArray stranger = seal(strangerKey(), values(), certificateText()).payload;

    const Scan::ScanReport good = verify(imageOf(genuine, "good.png"));
    EXPECT_EQ(good.outcome, Scan::Outcome::Genuine);
    EXPECT_EQ(int(good.outcome), 0);
    EXPECT_EQ(good.agreement, Scan::RegisterAgreement::NotAsked);
    EXPECT_EQ(Scan::reportLines(good).first(), QStringLiteral("真实：签名有效，由本单位的密钥签署。"));
    EXPECT_TRUE(Scan::reportLines(good).contains(QStringLiteral("姓名：王小明")));
    EXPECT_TRUE(Scan::reportLines(good).contains(QStringLiteral("身份证号码末四位：002X")));

    const Scan::ScanReport bad = verify(imageOf(altered, "bad.png"));
    EXPECT_EQ(bad.outcome, Scan::Outcome::Altered);
    EXPECT_EQ(int(bad.outcome), 1);
    EXPECT_EQ(bad.check.facts.number, QStringLiteral("MZ2026-000123"));

    const Scan::ScanReport unknown = verify(imageOf(stranger, "stranger.png"));
    EXPECT_EQ(unknown.outcome, Scan::Outcome::UnknownKey);
    EXPECT_EQ(int(unknown.outcome), 3);
    const Scan::ScanReport known = verify(imageOf(stranger, "stranger.png"), true);
    EXPECT_EQ(known.outcome, Scan::Outcome::Genuine);
    EXPECT_EQ(known.check.signer, Seal::Signer::Trusted);

    // A QR code that is not a certificate's, and no code at all.
    const Scan::ScanReport foreign = verify(imageOf("https://example.com/", "url.png"));
    EXPECT_EQ(foreign.outcome, Scan::Outcome::NoCode);
    EXPECT_EQ(int(foreign.outcome), 2);
    QImage blank(400, 400, QImage::Format_RGB32);
    blank.fill(Qt::white);
    ASSERT_TRUE(blank.save(dir.filePath(QStringLiteral("blank.png"))));
    EXPECT_EQ(verify(dir.filePath(QStringLiteral("blank.png"))).outcome, Scan::Outcome::NoCode);
    EXPECT_EQ(Scan::reportLines(verify(dir.filePath(QStringLiteral("blank.png")))),
              QStringList{QStringLiteral("未找到本程序的查验码。")});
}

TEST_F(ScanVerify, TheRegisterThatHoldsTheNumberIsAsked)
{
    QString error;
    auto reg = Register::CertificateRegister::open(dir.filePath(QStringLiteral("kavri_register.db")), &error);
    ASSERT_TRUE(reg) << error.toStdString();
    Register::NewEntry entry;
    entry.templateName = QStringLiteral("标准模板");
    entry.templateText = QStringLiteral("兹证明【姓名】离职。【查验码】");
    entry.values = {{QStringLiteral("姓名"), QStringLiteral("王小明")}};
    QString issuedText;
    const auto made = reg->addEntry(
        entry,
        [&](const QString& number) {
            issuedText = certificateText(number);
            return issuedText;
        },
        &error);
    ASSERT_TRUE(made) << error.toStdString();

    const QByteArray agreeing = seal(ownKey(), values(made->number), issuedText).payload;
    const Scan::ScanReport agrees = verify(imageOf(agreeing, "agrees.png"), false, reg.get());
    EXPECT_EQ(agrees.outcome, Scan::Outcome::Genuine);
    EXPECT_EQ(agrees.agreement, Scan::RegisterAgreement::Agrees);
    EXPECT_EQ(agrees.agreeingVersion, 1);
    EXPECT_EQ(Scan::reportLines(agrees).last(),
              QStringLiteral("本登记簿中的证明 %1（第 1 版）与查验码一致。").arg(made->number));

    // Signed with our key, but over a text the register never recorded under that number.
    const QByteArray otherText =
        seal(ownKey(), values(made->number), issuedText + QStringLiteral("！")).payload;
    const Scan::ScanReport differs = verify(imageOf(otherText, "differs.png"), false, reg.get());
    EXPECT_EQ(differs.outcome, Scan::Outcome::Altered);
    EXPECT_EQ(differs.agreement, Scan::RegisterAgreement::Disagrees);

    const QByteArray elsewhere = seal(ownKey(), values(QStringLiteral("LZ1999-000001")),
                                      certificateText(QStringLiteral("LZ1999-000001")))
                                     .payload;
    const Scan::ScanReport notHeld = verify(imageOf(elsewhere, "elsewhere.png"), false, reg.get());
    EXPECT_EQ(notHeld.outcome, Scan::Outcome::Genuine);
    EXPECT_EQ(notHeld.agreement, Scan::RegisterAgreement::NotHeld);
}
