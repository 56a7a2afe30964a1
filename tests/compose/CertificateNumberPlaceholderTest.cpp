#include "compose/CertificateComposer.h"

#include <gtest/gtest.h>

using namespace Compose;

namespace {
CertificateValues numbered(const QString& number)
{
    CertificateValues v;
    v.name = QStringLiteral("张三");
    v.certificateNumber = number;
    return v;
}
} // namespace

TEST(CertificateNumberPlaceholder, TakesTheRegistersNumber)
{
    EXPECT_EQ(ComposeCertificate(QStringLiteral("编号：【证明编号】<br>【姓名】"),
                                 numbered(QStringLiteral("LZ2026-000123")), 4),
              QStringLiteral("离职证明\r\n\r\n\r\n编号：LZ2026-000123\r\n张三"));
}

TEST(CertificateNumberPlaceholder, WithoutANumberTheMarkerGoes)
{
    EXPECT_EQ(ComposeCertificate(QStringLiteral("编号：【证明编号】。"), numbered(QString()), 0),
              QStringLiteral("离职证明\r\n\r\n\r\n编号：。"));
}

TEST(CertificateNumberPlaceholder, ATemplateWithoutItComposesAsBefore)
{
    // A value that happens to hold the marker stays as typed when the template has none.
    CertificateValues v = numbered(QStringLiteral("LZ2026-000123"));
    v.name = QStringLiteral("【证明编号】");
    EXPECT_EQ(ComposeCertificate(QStringLiteral("兹证明【姓名】离职。"), v, 0),
              QStringLiteral("离职证明\r\n\r\n\r\n兹证明【证明编号】离职。"));
}

TEST(CertificateNumberPlaceholder, IsABlankRunInThePreview)
{
    EXPECT_EQ(RenderTemplatePreview(QStringLiteral("编号：【证明编号】<br>【姓名】"), 0),
              QStringLiteral("编号：＿＿＿＿＿＿\r\n＿＿＿"));
    EXPECT_EQ(RenderTemplatePreview(QStringLiteral("编号【证明】"), 0),
              QStringLiteral("编号【证明】"));
}
