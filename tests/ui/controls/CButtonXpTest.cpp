#include "ui/controls/CButtonXp.h"

#include "resources/Bitmaps.h"

#include <QEnterEvent>
#include <QImage>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
// Test swatches (tests/controls/images): a distinct solid colour per state.
constexpr quint16 kNormal = 60001;
constexpr quint16 kPressed = 60002;
constexpr quint16 kHover = 60003;
constexpr quint16 kDisabled = 60004;
constexpr quint16 kSmall = 60005; // 80 x 20
constexpr quint16 kMissing = 65000;

QImage Swatch(quint16 id)
{
    return LoadBitmapResource(id).toImage().convertToFormat(QImage::Format_RGB32);
}

QImage Painted(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Pixel-by-pixel comparison that names the first differing pixel.
::testing::AssertionResult SamePixels(const QImage& actual, const QImage& expected)
{
    if (actual.size() != expected.size()) {
        return ::testing::AssertionFailure()
               << "size " << actual.width() << "x" << actual.height() << " instead of "
               << expected.width() << "x" << expected.height();
    }
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            if (actual.pixel(x, y) != expected.pixel(x, y)) {
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << std::hex << actual.pixel(x, y)
                       << " instead of " << expected.pixel(x, y);
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// The widget as painted now is bitmap `id`, pixel for pixel.
::testing::AssertionResult Shows(QWidget& widget, quint16 id)
{
    return SamePixels(Painted(widget), Swatch(id));
}

// Waits for the hover flag to reach the given value; events are delivered meanwhile.
bool WaitForHover(const CButtonXp& button, int hover)
{
    return QTest::qWaitFor([&] { return button.m_bHover == hover; }, 2000);
}

// A shown top-level window holding one button sized to its bitmaps.
class ShownButton : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(300, 100);
        // The line edit comes first in the focus chain, so the button starts without focus.
        auto* edit = new QLineEdit(&window);
        edit->setGeometry(200, 70, 90, 24);
        button = new CButtonXp(&window);
        ASSERT_TRUE(button->LoadBitmaps(kNormal, kPressed, kHover, kDisabled));
        button->resize(button->bitmapSize());
        button->move(20, 20);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        // The pointer may still be where an earlier test left it.
        QTest::mouseMove(&window, outside());
        ASSERT_TRUE(WaitForHover(*button, 0));
    }

    void TearDown() override
    {
        // Leave the pointer off the button, so the next test's window does not open under it.
        QTest::mouseMove(&window, outside());
        QCoreApplication::processEvents();
    }

    QPoint inside() const { return button->geometry().center(); }
    QPoint outside() const { return QPoint(5, 5); }

    QWidget window;
    CButtonXp* button = nullptr;
};
} // namespace

TEST(CButtonXpLoad, AllFourLoadedReportsSuccessAndNormalSize)
{
    CButtonXp button;
    EXPECT_EQ(button.bitmapSize(), QSize());
    EXPECT_TRUE(button.LoadBitmaps(kNormal, kPressed, kHover, kDisabled));
    EXPECT_EQ(button.bitmapSize(), QSize(159, 30));
    EXPECT_EQ(button.sizeHint(), QSize(159, 30));
    // The button leaves its size to the owner.
    EXPECT_NE(button.size(), QSize(159, 30));
}

TEST(CButtonXpLoad, LibraryButtonSetsOfTheMainWindowLoad)
{
    for (const ButtonBitmapIds& ids : kLibraryButtonBitmaps) {
        CButtonXp button;
        EXPECT_TRUE(button.LoadBitmaps(ids.normal, ids.pressed, ids.hover, ids.disabled))
            << ids.normal;
        EXPECT_EQ(button.bitmapSize(), QSize(159, 30)) << ids.normal;
    }
}

TEST(CButtonXpLoad, FailureAnywhereReportsFailureButStillReadsTheNormalSize)
{
    CButtonXp pressedMissing;
    EXPECT_FALSE(pressedMissing.LoadBitmaps(kNormal, kMissing, kHover, kDisabled));
    EXPECT_EQ(pressedMissing.bitmapSize(), QSize(159, 30));

    CButtonXp disabledMissing;
    EXPECT_FALSE(disabledMissing.LoadBitmaps(kNormal, kPressed, kHover, kMissing));
    EXPECT_EQ(disabledMissing.bitmapSize(), QSize(159, 30));

    CButtonXp normalMissing;
    EXPECT_FALSE(normalMissing.LoadBitmaps(kMissing, kPressed, kHover, kDisabled));
    EXPECT_EQ(normalMissing.bitmapSize(), QSize(0, 0));
}

TEST(CButtonXpLoad, ReloadingReplacesTheEarlierSet)
{
    CButtonXp button;
    ASSERT_TRUE(button.LoadBitmaps(kNormal, kPressed, kHover, kDisabled));
    EXPECT_TRUE(button.LoadBitmaps(kSmall, kSmall, kSmall, kSmall));
    EXPECT_EQ(button.bitmapSize(), QSize(80, 20));
}

TEST(CButtonXpLoad, LoadingStopsAtTheFirstFailure)
{
    // Hover is missing: the disabled bitmap after it must not be loaded, so a disabled button
    // falls back to the normal look instead of showing the disabled swatch.
    CButtonXp button;
    EXPECT_FALSE(button.LoadBitmaps(kNormal, kPressed, kMissing, kDisabled));
    button.resize(button.bitmapSize());
    button.setEnabled(false);
    EXPECT_TRUE(Shows(button, kNormal));
    button.setEnabled(true);
    button.m_bHover = 1;
    EXPECT_TRUE(Shows(button, kNormal));
    // The pressed bitmap before the failure did load.
    button.setDown(true);
    EXPECT_TRUE(Shows(button, kPressed));
}

TEST(CButtonXpPaint, StateChoiceDisabledBeatsPressedBeatsHoverBeatsNormal)
{
    CButtonXp button;
    ASSERT_TRUE(button.LoadBitmaps(kNormal, kPressed, kHover, kDisabled));
    button.resize(button.bitmapSize());

    EXPECT_TRUE(Shows(button, kNormal));

    button.m_bHover = 1;
    EXPECT_TRUE(Shows(button, kHover));

    button.setDown(true);
    EXPECT_TRUE(Shows(button, kPressed)) << "pressed beats hover";

    button.setEnabled(false);
    EXPECT_TRUE(Shows(button, kDisabled)) << "disabled beats pressed and hover";

    button.setEnabled(true);
    button.setDown(false);
    button.m_bHover = 0;
    EXPECT_TRUE(Shows(button, kNormal));

    button.setEnabled(false);
    EXPECT_TRUE(Shows(button, kDisabled));
}

TEST(CButtonXpPaint, LargerButtonGetsOnlyTheBitmapBlockAtItsOrigin)
{
    QWidget parent;
    parent.setAutoFillBackground(true);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, QColor(1, 2, 3));
    parent.setPalette(palette);
    parent.resize(200, 60);
    CButtonXp* button = new CButtonXp(&parent);
    ASSERT_TRUE(button->LoadBitmaps(kSmall, kSmall, kSmall, kSmall));
    button->setGeometry(0, 0, 159, 30);

    const QImage painted = Painted(*button);
    const QImage swatch = Swatch(kSmall);
    EXPECT_TRUE(SamePixels(painted.copy(0, 0, 80, 20), swatch));
    EXPECT_EQ(painted.pixelColor(120, 10), QColor(1, 2, 3));
    EXPECT_EQ(painted.pixelColor(10, 25), QColor(1, 2, 3));
}

TEST_F(ShownButton, PointerOverShowsHoverAndLeavingShowsNormal)
{
    EXPECT_EQ(button->m_bHover, 0);
    QTest::mouseMove(&window, inside());
    ASSERT_TRUE(WaitForHover(*button, 1));
    EXPECT_TRUE(Shows(*button, kHover));

    QTest::mouseMove(&window, outside());
    ASSERT_TRUE(WaitForHover(*button, 0));
    EXPECT_TRUE(Shows(*button, kNormal));
}

TEST_F(ShownButton, HoverLastsFromEntryToLeaveHoweverManyMoves)
{
    QTest::mouseMove(&window, inside());
    ASSERT_TRUE(WaitForHover(*button, 1));
    for (int dx = 1; dx <= 5; ++dx) {
        QTest::mouseMove(&window, inside() + QPoint(dx * 3, 1));
        QCoreApplication::processEvents();
        EXPECT_EQ(button->m_bHover, 1) << dx;
    }

    QTest::mouseMove(&window, outside());
    ASSERT_TRUE(WaitForHover(*button, 0));

    QTest::mouseMove(&window, inside());
    ASSERT_TRUE(WaitForHover(*button, 1));
    QTest::mouseMove(&window, inside() + QPoint(4, 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(button->m_bHover, 1);
}

TEST_F(ShownButton, EnterEventAndFirstMoveArmOnlyOnce)
{
    // The pointer may already be over the button when a move arrives without an enter event
    // (it appeared under the pointer); then the first move must switch to hover, and an enter
    // event that follows keeps it.
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), QPointF(25, 25), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(button, &move);
    EXPECT_EQ(button->m_bHover, 1);
    QEnterEvent enter(QPointF(5, 5), QPointF(25, 25), QPointF(25, 25));
    QCoreApplication::sendEvent(button, &enter);
    EXPECT_EQ(button->m_bHover, 1);
}

TEST_F(ShownButton, PressingWhileHoveringShowsPressedAndClickReachesOwner)
{
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QTest::mouseMove(&window, inside());
    ASSERT_TRUE(WaitForHover(*button, 1));
    QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
    EXPECT_TRUE(button->isDown());
    EXPECT_TRUE(
        SamePixels(Painted(*button).copy(0, 0, 159, 2), Swatch(kPressed).copy(0, 0, 159, 2)));
    QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
    EXPECT_EQ(clicked.count(), 1);
}

TEST_F(ShownButton, DisabledButtonShowsDisabledEvenUnderThePointer)
{
    button->setEnabled(false);
    QTest::mouseMove(&window, inside());
    QCoreApplication::processEvents();
    EXPECT_TRUE(Shows(*button, kDisabled));
}

TEST_F(ShownButton, FocusRectangleTwoPixelsInsideAfterAClick)
{
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const QImage swatch = Swatch(kNormal);
    EXPECT_TRUE(SamePixels(Painted(*button), swatch)) << "no focus, no rectangle";

    QTest::mouseMove(&window, outside());
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
    QTest::mouseMove(&window, outside());
    ASSERT_TRUE(WaitForHover(*button, 0));
    ASSERT_TRUE(button->hasFocus());

    const QImage painted = Painted(*button);
    const int w = painted.width();
    const int h = painted.height();
    // The two outermost rings stay the bitmap's own pixels.
    for (int x = 0; x < w; ++x) {
        for (int y : {0, 1, h - 2, h - 1}) {
            ASSERT_EQ(painted.pixel(x, y), swatch.pixel(x, y)) << x << "," << y;
        }
    }
    for (int y = 0; y < h; ++y) {
        for (int x : {0, 1, w - 2, w - 1}) {
            ASSERT_EQ(painted.pixel(x, y), swatch.pixel(x, y)) << x << "," << y;
        }
    }
    // The rectangle itself starts on the third ring: each of its four sides changes pixels.
    auto rowChanged = [&](int y) {
        for (int x = 2; x < w - 2; ++x) {
            if (painted.pixel(x, y) != swatch.pixel(x, y)) {
                return true;
            }
        }
        return false;
    };
    auto columnChanged = [&](int x) {
        for (int y = 2; y < h - 2; ++y) {
            if (painted.pixel(x, y) != swatch.pixel(x, y)) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(rowChanged(2));
    EXPECT_TRUE(rowChanged(h - 3));
    EXPECT_TRUE(columnChanged(2));
    EXPECT_TRUE(columnChanged(w - 3));

    button->clearFocus();
    EXPECT_TRUE(SamePixels(Painted(*button), swatch));
}
