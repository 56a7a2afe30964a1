#include "FakePageCanvas.h"
#include "print/CertificatePageLayout.h"
#include "seal/QrMatrix.h"

#include <QRect>
#include <gtest/gtest.h>

// Where the page puts the certificate's QR code. At 600 dpi (a printable area of 4760 x 6814)
// the body's lines start at x 442; page y 176, 205, 234, 263 are device y 1471, 1713, 1956,
// 2198; the body font is 125 units high. 25 mm is 591 units. A 100-byte code is version 6,
// 41 modules, so its quiet zone of four modules is 58 units (rounded up).
namespace {

const PageRect kPageAt600{0, 0, 4760, 6814};

QString filler(int n)
{
    return QString(n, QChar(0x3000));
}

Seal::QrMatrix code100()
{
    return Seal::encodeQr(QByteArray(100, 'k'));
}

struct CodePage
{
    CodePage() : canvas(600, 600) { layout.setPageRect(kPageAt600); }

    FakePageCanvas canvas;
    CertificatePageLayout layout;
};

// Every module fill lies inside the code's square and the fills cover as many units as the
// dark modules do.
void expectFillsInside(const FakePageCanvas& canvas, const QRect& square)
{
    ASSERT_FALSE(canvas.fills.isEmpty());
    for (const FakePageCanvas::Fill& f : canvas.fills) {
        EXPECT_TRUE(square.contains(QRect(f.x, f.y, f.width, f.height))) << f.x << "," << f.y;
    }
}

// No line's ink (its leading ideographic spaces left out) reaches into the code or its quiet
// zone.
void expectNoTextTouches(const FakePageCanvas& canvas, const QRect& square, int quiet)
{
    const QRect zone = square.adjusted(-quiet, -quiet, quiet, quiet);
    for (const FakePageCanvas::Draw& d : canvas.draws) {
        qsizetype lead = 0;
        while (lead < d.text.size() && d.text.at(lead) == QChar(0x3000)) {
            ++lead;
        }
        const QRect ink(d.x + int(lead) * d.fontHeight, d.y, int(d.text.size() - lead) * d.fontHeight,
                        d.fontHeight);
        EXPECT_FALSE(zone.intersects(ink)) << d.text.toStdString();
    }
}

} // namespace

TEST(VerificationCodeLayout, SitsLeftOfTheSignatureBlocksFirstLine)
{
    const QString text = QStringLiteral("\r\n\r\n\r\n甲\r\n\r\n") + filler(20) +
                         QStringLiteral("某某公司（盖章）\r\n") + filler(22) +
                         QStringLiteral("2026年12月8日");
    CodePage plain;
    plain.layout.draw(plain.canvas, text);

    CodePage page;
    const Seal::QrMatrix code = code100();
    ASSERT_EQ(code.version, 6);
    page.layout.setVerificationCode(code);
    page.layout.draw(page.canvas, text);
    EXPECT_EQ(page.layout.verificationCodeRect(), QRect(442, 1956, 591, 591));
    expectFillsInside(page.canvas, page.layout.verificationCodeRect());
    expectNoTextTouches(page.canvas, page.layout.verificationCodeRect(), 58);
    // The text is drawn exactly where it is drawn without a code.
    ASSERT_EQ(page.canvas.draws.size(), plain.canvas.draws.size());
    for (qsizetype i = 0; i < plain.canvas.draws.size(); ++i) {
        EXPECT_EQ(page.canvas.draws[i].x, plain.canvas.draws[i].x);
        EXPECT_EQ(page.canvas.draws[i].y, plain.canvas.draws[i].y);
        EXPECT_EQ(page.canvas.draws[i].text, plain.canvas.draws[i].text);
    }
    EXPECT_TRUE(plain.canvas.fills.isEmpty());
    EXPECT_TRUE(plain.layout.verificationCodeRect().isNull());
}

TEST(VerificationCodeLayout, GoesBelowTheLastLineWhenTheBlockStartsAtTheLeft)
{
    CodePage page;
    page.layout.setVerificationCode(code100());
    page.layout.draw(page.canvas, QStringLiteral("甲\r\n\r\n乙乙\r\n丙"));
    // 丙 at 2198, 125 high: the code starts a quiet zone below it.
    EXPECT_EQ(page.layout.verificationCodeRect(), QRect(442, 2198 + 125 + 58, 591, 591));
    expectNoTextTouches(page.canvas, page.layout.verificationCodeRect(), 58);
}

TEST(VerificationCodeLayout, TextRunningNearlyToTheBottomPutsItInTheBottomCorner)
{
    QString text;
    for (int i = 0; i < 24; ++i) {
        text += QStringLiteral("甲乙丙丁戊己庚辛壬癸甲乙丙丁戊己庚辛壬癸甲乙丙丁戊己庚辛\r\n");
    }
    CodePage page;
    page.layout.setVerificationCode(code100());
    page.layout.draw(page.canvas, text);
    EXPECT_EQ(page.layout.verificationCodeRect(), QRect(442, 6814 - 58 - 591, 591, 591));
}

TEST(VerificationCodeLayout, ModulesTileTheSquareRowByRow)
{
    // A 3 x 3 code, dark on the diagonal and the whole last row, in a 10-unit square: module
    // edges at 0, 3, 7, 10 (exact fractions rounded).
    Seal::QrMatrix code;
    code.size = 3;
    code.modules = {true, false, false, false, true, false, true, true, true};
    FakePageCanvas canvas(600, 600);
    CertificatePageLayout::drawCode(canvas, code, 100, 200, 10);
    ASSERT_EQ(canvas.fills.size(), 3);
    const auto fill = [&](int i) {
        const FakePageCanvas::Fill& f = canvas.fills.at(i);
        return QRect(f.x, f.y, f.width, f.height);
    };
    EXPECT_EQ(fill(0), QRect(100, 200, 3, 3));
    EXPECT_EQ(fill(1), QRect(103, 203, 4, 4));
    EXPECT_EQ(fill(2), QRect(100, 207, 10, 3)); // one run for the whole row

    FakePageCanvas none(600, 600);
    CertificatePageLayout::drawCode(none, Seal::QrMatrix(), 0, 0, 10);
    EXPECT_TRUE(none.fills.isEmpty());
}
