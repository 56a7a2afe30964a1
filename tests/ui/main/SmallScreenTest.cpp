// The main window on a 1366 x 768 laptop screen: the test runs on an offscreen screen of the
// 1366 x 704 that a desktop's panel and title bar leave of it (see CMakeLists.txt). The bottom
// of the result box can be scrolled into view.
#include "MainWindowFixture.h"
#include "TempLibrary.h"

#include "ui/main/MainDialogIds.h"

#include <QScreen>
#include <QScrollBar>
#include <QTest>

using namespace MainIds;

namespace {

class SmallScreen : public MainWindowFixture
{
};

TEST_F(SmallScreen, TheLargestPositionShowsTheLastRowOfTheResultBox)
{
    TempLibrary library;
    ASSERT_TRUE(library.isValid());
    CkavriDlg* window = openWindow(library.path());
    ASSERT_EQ(window->screen()->geometry(), QRect(0, 0, 1366, 704));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window->frameGeometry() == window->screen()->availableGeometry(); }));
    const int ch = window->height();
    QWidget* result = window->control(kResult);
    const int resultBottom = result->geometry().bottom() + 1;
    ASSERT_GT(resultBottom, 9 * ch / 5) << "on this screen the usual range stops short";

    // Every shown control ends above the result box's bottom: reaching it reaches them all.
    for (QWidget* child : window->content()->findChildren<QWidget*>(
             QString(), Qt::FindDirectChildrenOnly)) {
        if (!child->isHidden()) {
            EXPECT_LE(child->geometry().bottom() + 1, resultBottom) << child->objectName().toStdString();
        }
    }

    QScrollBar* bar = window->m_scrollBar;
    bar->setValue(bar->maximum());
    EXPECT_EQ(window->m_nScrollPos, window->scrollRange().largest());
    // Just enough: the window's last row of pixels is the result box's last one.
    EXPECT_EQ(window->scrollRange().max, resultBottom);
    EXPECT_EQ(result->mapTo(window, QPoint(0, result->height() - 1)).y(), ch - 1);
}

} // namespace
