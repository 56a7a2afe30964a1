#include "print/CertificateBody.h"

#include <gtest/gtest.h>

TEST(CertificateBody, IsTheTextAfterTheFirstTitle)
{
    EXPECT_EQ(CertificateBody(QStringLiteral("　　离职证明\r\n\r\n\r\n兹证明")),
              QStringLiteral("\r\n\r\n\r\n兹证明"));
    EXPECT_EQ(CertificateBody(QStringLiteral("离职证明甲离职证明乙")),
              QStringLiteral("甲离职证明乙"));
    EXPECT_EQ(CertificateBody(QStringLiteral("离职证明")), QString());
    EXPECT_EQ(CertificateBody(QString()), QString());
    // The title edited away: the whole text, not the text from its fifth character on.
    EXPECT_EQ(CertificateBody(QStringLiteral("兹证明张三")), QStringLiteral("兹证明张三"));
}
