#include "print/PainterCanvas.h"
#include "print/FontSubstitutions.h"

#include <QImage>
#include <QPainter>
#include <QPicture>
#include <gtest/gtest.h>

// The title is bold on paper; the print preview, which records the page and replays it
// scaled down, must show it bold too, although the song face has no bold style of its own.
namespace {

int DarkPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        }
    }
    return count;
}

// "离职证明" in the song face drawn through the canvas, `height` device units high at 600 dpi.
// With `recorded`, drawn into a picture replayed at a tenth of the size, as the preview does;
// otherwise drawn straight onto an image at the same final size.
int TitleInk(int weight, bool recorded)
{
    constexpr double kScale = 0.1;
    QImage image(600, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    const PageFont font{QStringLiteral("宋体"), recorded ? 500 : 50, 0, weight};
    if (recorded) {
        QPicture picture;
        {
            QPainter painter(&picture);
            PainterCanvas canvas(painter);
            canvas.selectFont(font);
            canvas.drawText(100, 100, u"离职证明");
        }
        QPainter painter(&image);
        painter.scale(kScale, kScale);
        painter.drawPicture(0, 0, picture);
    } else {
        QPainter painter(&image);
        PainterCanvas canvas(painter);
        canvas.selectFont(font);
        canvas.drawText(10, 10, u"离职证明");
    }
    return DarkPixels(image);
}

} // namespace

TEST(PreviewBoldTitle, RecordedBoldTextIsHeavierThanNormal)
{
    InstallFontSubstitutions();
    const int normal = TitleInk(400, true);
    const int bold = TitleInk(700, true);
    ASSERT_GT(normal, 500);
    EXPECT_GT(bold, normal * 3 / 2) << "normal " << normal << ", bold " << bold;
}

TEST(PreviewBoldTitle, PreviewBoldMatchesTheEngineBoldOfUnscaledText)
{
    // Unscaled text gets the font engine's own synthetic bold: the preview's bold should be
    // about as heavy, not twice as heavy, relative to the normal weight.
    InstallFontSubstitutions();
    const double preview = double(TitleInk(700, true)) / TitleInk(400, true);
    const double direct = double(TitleInk(700, false)) / TitleInk(400, false);
    ASSERT_GT(direct, 1.4) << "this machine's font engine gives no synthetic bold";
    EXPECT_NEAR(preview, direct, 0.35) << "preview " << preview << ", direct " << direct;
}

TEST(PreviewBoldTitle, NormalTextIsNotThickened)
{
    InstallFontSubstitutions();
    const double preview = TitleInk(400, true);
    const double direct = TitleInk(400, false);
    EXPECT_NEAR(preview / direct, 1.0, 0.15) << "preview " << preview << ", direct " << direct;
}
