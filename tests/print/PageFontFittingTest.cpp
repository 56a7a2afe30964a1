#include "print/CertificatePageLayout.h"
#include "print/CertificatePdfExport.h"
#include "print/FontSubstitutions.h"
#include "print/PageFontFitting.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QPdfWriter>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// A PDF page as the certificate's writer sets it up: the device every PDF page font is fitted on.
class PageFontFitting : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InstallFontSubstitutions(); }
    void SetUp() override
    {
        ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
        SetUpCertificatePdfWriter(writer);
    }

    int cellHeight(QFont font, int pixelSize)
    {
        font.setPixelSize(pixelSize);
        return QFontMetrics(font, &writer).height();
    }

    QBuffer buffer;
    QPdfWriter writer{&buffer};
};

struct PageFontCase
{
    const char* name;
    const PageFont* font; // the layout's, scaled to the PDF's resolution in the test
    int pixelSize;
};

// The page's two fonts at the PDF writer's 600 dpi, on the song face that stands in for 宋体
// (AR PL UMing): the sizes every PDF page has been drawn with.
const PageFontCase kPageFonts[] = {
    {"Title", &CertificatePageLayout::kTitleFont, 184},
    {"Body", &CertificatePageLayout::kBodyFont, 119},
};

class PageFontSizes : public PageFontFitting, public ::testing::WithParamInterface<PageFontCase>
{
};

TEST_P(PageFontSizes, ThePageFontsKeepTheirSizes)
{
    const PageFont font = CertificatePageLayout::scaledFont(*GetParam().font, kPdfResolution,
                                                            kPdfResolution);
    const QFont fitted = FitPageFont(font, &writer);
    EXPECT_EQ(fitted.pixelSize(), GetParam().pixelSize);
    EXPECT_EQ(fitted.weight(), QFont::Weight(font.weight));
    EXPECT_FALSE(fitted.kerning());
}

INSTANTIATE_TEST_SUITE_P(Pdf, PageFontSizes, ::testing::ValuesIn(kPageFonts),
                         [](const auto& info) { return std::string(info.param.name); });

// Whatever the height asked for, no size near the one chosen draws a cell closer to it: the
// sizes left unmeasured could not have won.
TEST_F(PageFontFitting, NoNeighbouringSizeComesCloser)
{
    for (const int weight : {400, 700}) {
        for (int height = 3; height <= 400; height += 7) {
            const PageFont font{QStringLiteral("宋体"), height, 0, weight};
            const QFont fitted = FitPageFont(font, &writer);
            const int chosen = fitted.pixelSize();
            ASSERT_GE(chosen, 1);
            const int error = std::abs(cellHeight(fitted, chosen) - height);
            for (int size = std::max(1, chosen - 2); size <= chosen + 2; ++size) {
                EXPECT_GE(std::abs(cellHeight(fitted, size) - height), error)
                    << "height " << height << ", weight " << weight << ": size " << size
                    << " comes closer than " << chosen;
            }
        }
    }
}

TEST_F(PageFontFitting, AFontWithoutHeightIsLeftUnsized)
{
    const QFont fitted = FitPageFont(PageFont{QStringLiteral("宋体"), 0, 0, 400}, &writer);
    EXPECT_EQ(fitted.pixelSize(), -1);
}

} // namespace
