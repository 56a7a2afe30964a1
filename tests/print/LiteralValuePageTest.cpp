// A value's markup and placeholders reach the printed page as the text they are.
#include "FakePageCanvas.h"
#include "SampleCertificate.h"
#include "compose/CertificateComposer.h"
#include "print/CertificateBody.h"
#include "print/CertificatePageLayout.h"

#include <gtest/gtest.h>

namespace {

QStringList bodyLines(const QString& templateText, const CertificateValues& values)
{
    const QString certificate = Compose::ComposeCertificate(templateText, values, 31);
    FakePageCanvas canvas(600, 600);
    CertificatePageLayout layout;
    layout.setPageRect(PageRect{0, 0, 4760, 6814});
    layout.draw(canvas, CertificateBody(certificate));
    QStringList lines;
    for (const FakePageCanvas::Draw& d : canvas.bodyDraws()) {
        lines << d.text;
    }
    return lines;
}

TEST(LiteralValuePage, MarkupInANameIsPrintedNotObeyed)
{
    CertificateValues values = SampleValues();
    values.name = QStringLiteral("<br>【公司名称】");
    values.company = QStringLiteral("甲");
    const QString templateText = QStringLiteral("兹证明【姓名】离职。<br><div style=\"float: right;\">"
                                                "【公司名称】");
    // One body line for the sentence, one for the right block: the name breaks no line and
    // names no company.
    const QStringList lines = bodyLines(templateText, values);
    ASSERT_EQ(lines.size(), 2) << lines.join(u'|').toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("兹证明<br>【公司名称】离职。"));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("甲")));

    // A block opened in a value moves nothing into the signature block.
    values.name = QStringLiteral("<div style=\"float: right;\">张三");
    const QStringList moved = bodyLines(templateText, values);
    EXPECT_EQ(moved.join(QString()).count(QStringLiteral("<div style=\"float: right;\">张三离职。")), 1)
        << moved.join(u'|').toStdString();
}

} // namespace
