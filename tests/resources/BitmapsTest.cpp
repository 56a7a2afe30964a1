#include "resources/Bitmaps.h"

#include "ArtworkMetrics.h"
#include "print/FontSubstitutions.h"

#include <QImage>
#include <QList>
#include <algorithm>
#include <gtest/gtest.h>

namespace {
const QColor kSheet(223, 241, 234);
const QColor kButtonBackground(224, 223, 228);

const int kButtonIds[] = {136, 137, 138, 139, 140, 141, 142, 143, 144, 145,
                          146, 147, 148, 149, 150, 151, 152, 153, 154, 155};
QImage Image(int id)
{
    return LoadBitmapResource(id).toImage().convertToFormat(QImage::Format_ARGB32);
}

DialogBaseUnits Units()
{
    InstallFontSubstitutions();
    return MainDialogBaseUnits();
}

bool HasPixelNear(const QImage& image, const QColor& colour, int tolerance)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) <= tolerance &&
                qAbs(c.green() - colour.green()) <= tolerance &&
                qAbs(c.blue() - colour.blue()) <= tolerance) {
                return true;
            }
        }
    }
    return false;
}

// The bounding box of the pixels that differ from the background.
QRect InkBox(const QImage& image, const QColor& background)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != background) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}
} // namespace

TEST(Bitmaps, UnknownIdsGiveNullPixmaps)
{
    EXPECT_TRUE(LoadBitmapResource(9999).isNull());
    EXPECT_TRUE(LoadBitmapResource(0).isNull());
    EXPECT_TRUE(LoadBitmapResource(-129).isNull());
}

TEST(Bitmaps, ProgramIconLoads)
{
    const QPixmap pixmap = LoadBitmapResource(128);
    ASSERT_FALSE(pixmap.isNull());
    EXPECT_EQ(pixmap.width(), pixmap.height());
    EXPECT_GE(pixmap.width(), 48);

    const QIcon icon = LoadAppIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_FALSE(icon.pixmap(32, 32).isNull());
}

TEST(Bitmaps, PicturesHaveThePixelSizeOfTheirDialogRectangles)
{
    const DialogBaseUnits units = Units();
    ASSERT_GT(units.baseX, 0);
    ASSERT_GT(units.baseY, 0);
    for (int id : {129, 130, 131}) {
        EXPECT_EQ(LoadBitmapResource(id).size(), StepBannerSize(units)) << id;
    }
    EXPECT_EQ(LoadBitmapResource(157).size(), LibraryCaptionSize(units));
    EXPECT_EQ(LoadBitmapResource(135).size(), InfoPanelSize(units));
    EXPECT_EQ(LoadBitmapResource(132).size(), TemplateSheetSize(units));
}

TEST(Bitmaps, SheetSpansFromBesideTheListToTheBannersEnd)
{
    // List at 16 DLU, 101 DLU wide; the sheet starts 15 % of the list's width right of it and
    // ends at 321 DLU, as tall as the list (140 DLU).
    DialogBaseUnits units;
    units.baseX = 8;
    units.baseY = 16;
    // list: left 32, width 202; sheet left 32 + 202 + 30 = 264; right 642
    EXPECT_EQ(TemplateSheetSize(units), QSize(642 - 264, 280));
    // 305 x 16, 51 x 16 and 108 x 47 dialog units at 8 x 16 pixels per 4 x 8 units.
    EXPECT_EQ(StepBannerSize(units), QSize(610, 32));
    EXPECT_EQ(LibraryCaptionSize(units), QSize(102, 32));
    EXPECT_EQ(InfoPanelSize(units), QSize(216, 94));
}

TEST(Bitmaps, SheetKeepsTheNameAndPreviewBandsPlain)
{
    const QImage sheet = Image(132);
    ASSERT_FALSE(sheet.isNull());
    const int w = sheet.width();
    const int h = sheet.height();
    const QRect nameBand(w * 15 / 100, h * 3 / 100, w * 70 / 100, h * 8 / 100);
    const QRect previewBand(w * 2 / 100, h * 18 / 100, w * 96 / 100, h * 79 / 100);
    for (const QRect& band : {nameBand, previewBand}) {
        for (int y = band.top(); y <= band.bottom(); ++y) {
            for (int x = band.left(); x <= band.right(); ++x) {
                ASSERT_EQ(sheet.pixelColor(x, y), kSheet) << x << "," << y;
            }
        }
    }
    // The corner is curled: the top-right pixel is not plain sheet.
    EXPECT_NE(sheet.pixelColor(w - 1, 0), kSheet);
}

TEST(Bitmaps, LibraryButtonBitmapsAre159By30OnTheirBackground)
{
    for (int id : kButtonIds) {
        const QPixmap pixmap = LoadBitmapResource(id);
        ASSERT_FALSE(pixmap.isNull()) << id;
        EXPECT_EQ(pixmap.size(), QSize(159, 30)) << id;
        EXPECT_FALSE(pixmap.hasAlphaChannel()) << id;
        const QImage image = Image(id);
        EXPECT_EQ(image.pixelColor(0, 0), kButtonBackground) << id;
        EXPECT_EQ(image.pixelColor(158, 29), kButtonBackground) << id;
    }
}

TEST(Bitmaps, RestingLooksAreIdenticalAndHoverIsOrangeAndShifted)
{
    for (const ButtonBitmapIds& ids : kLibraryButtonBitmaps) {
        const int set[4] = {ids.normal, ids.pressed, ids.hover, ids.disabled};
        const QImage normal = Image(set[0]);
        const QImage pressed = Image(set[1]);
        const QImage hover = Image(set[2]);
        const QImage disabled = Image(set[3]);
        EXPECT_EQ(normal, pressed) << set[0];
        EXPECT_EQ(normal, disabled) << set[0];
        EXPECT_NE(normal, hover) << set[0];

        EXPECT_TRUE(HasPixelNear(hover, QColor(255, 128, 64), 4)) << set[2];
        EXPECT_FALSE(HasPixelNear(normal, QColor(255, 128, 64), 30)) << set[0];
        EXPECT_TRUE(HasPixelNear(normal, QColor(0, 0, 0), 10)) << set[0];

        const QRect restingInk = InkBox(normal, kButtonBackground);
        const QRect hoverInk = InkBox(hover, kButtonBackground);
        EXPECT_EQ(hoverInk.left() - restingInk.left(), -6) << set[2];
        EXPECT_EQ(hoverInk.top() - restingInk.top(), 2) << set[2];
    }
}

TEST(Bitmaps, EachButtonShowsItsOwnCaption)
{
    // Different captions must give different pictures (a copy-paste slip would not).
    for (size_t i = 0; i < kLibraryButtonBitmaps.size(); ++i) {
        for (size_t j = i + 1; j < kLibraryButtonBitmaps.size(); ++j) {
            EXPECT_NE(Image(kLibraryButtonBitmaps[i].normal),
                      Image(kLibraryButtonBitmaps[j].normal));
        }
    }
}

TEST(Bitmaps, TheButtonTableUsesEveryButtonIdOnce)
{
    // Company, department, position, reason, template: normal, pressed, hover, disabled.
    const int expected[][4] = {{146, 144, 145, 147},
                               {142, 140, 141, 143},
                               {138, 136, 137, 139},
                               {154, 152, 153, 155},
                               {150, 148, 149, 151}};
    ASSERT_EQ(kLibraryButtonBitmaps.size(), std::size(expected));
    QList<int> used;
    for (size_t i = 0; i < kLibraryButtonBitmaps.size(); ++i) {
        const ButtonBitmapIds& ids = kLibraryButtonBitmaps[i];
        EXPECT_EQ(ids.normal, expected[i][0]) << i;
        EXPECT_EQ(ids.pressed, expected[i][1]) << i;
        EXPECT_EQ(ids.hover, expected[i][2]) << i;
        EXPECT_EQ(ids.disabled, expected[i][3]) << i;
        used << ids.normal << ids.pressed << ids.hover << ids.disabled;
    }
    std::sort(used.begin(), used.end());
    EXPECT_EQ(used, QList<int>(std::begin(kButtonIds), std::end(kButtonIds)));
}
