// The main window's behaviour that does not depend on what the library holds: scrolling,
// placement, keys, the about box, and start-up without a library file.
#include "MainWindowFixture.h"

#include "ui/controls/CButtonXp.h"
#include "ui/controls/ListViewCtrl.h"
#include "ui/main/MainDialogIds.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

using namespace MainIds;

namespace {

class MainWindowTest : public MainWindowFixture
{
protected:
    CkavriDlg* openWithoutLibrary()
    {
        CkavriDlg* window = openWindow(m_dir.filePath(QStringLiteral("bdsj_conn.dll")));
        m_notifier.clear();
        return window;
    }

    void wheel(CkavriDlg* window, int delta)
    {
        const QPointF at(window->width() / 2.0, 5);
        QWheelEvent event(at, window->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(window, &event);
    }

    QTemporaryDir m_dir;
};

TEST_F(MainWindowTest, MissingLibraryGivesOneConnectNoticeAndOneNoticePerStatement)
{
    openWindow(m_dir.filePath(QStringLiteral("bdsj_conn.dll")));
    ASSERT_TRUE(m_window->isVisible());
    const QList<Notifier::Notice>& notices = m_notifier.notices();
    ASSERT_FALSE(notices.isEmpty());
    EXPECT_EQ(notices[0].text, QStringLiteral("无法连接到资料库，您的本地数据被破坏或无法找到！"));
    EXPECT_EQ(notices[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(notices[0].icon, Notifier::Icon::Information);

    // Every statement of the start-up fails on its own and is reported with its text.
    const QStringList statements = {
        QStringLiteral("select * from moban_item_table"),
        QStringLiteral("select top 1 * from moban_item_table where item1='默认'"),
        QStringLiteral("select * from company_item_table"),
        QStringLiteral("select top 1 * from company_item_table where item1='默认'"),
        QStringLiteral("select * from department_item_table"),
        QStringLiteral("select top 1 * from department_item_table where item1='默认'"),
        QStringLiteral("select * from position_item_table"),
        QStringLiteral("select top 1 * from position_item_table where item1='默认'"),
        QStringLiteral("select * from reason_item_bable"),
        QStringLiteral("select top 1 * from reason_item_bable where item1='默认'"),
    };
    ASSERT_EQ(notices.size(), 1 + statements.size());
    for (int i = 0; i < statements.size(); ++i) {
        EXPECT_TRUE(notices[i + 1].text.endsWith(statements[i]))
            << i << ": " << notices[i + 1].text.toStdString();
        EXPECT_EQ(notices[i + 1].icon, Notifier::Icon::Warning);
    }

    // The window is there, empty, with its form as the template lays it out.
    EXPECT_EQ(m_window->m_listTemplates->rowCount(), 0);
    EXPECT_EQ(m_window->m_nShownTemplate, -1);
    EXPECT_EQ(m_window->control<QComboBox>(kGender)->currentText(), QStringLiteral("男"));
    EXPECT_TRUE(m_window->control(kName)->isVisible());
    EXPECT_TRUE(m_window->control(kReason)->isVisible());
}

TEST_F(MainWindowTest, CoversTheAvailableScreenAreaAndGoesBackWhenMoved)
{
    CkavriDlg* window = openWithoutLibrary();
    const QRect available = window->screen()->availableGeometry();
    // The frame, title bar included, covers the area.
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->frameGeometry() == available; }));
    const QRect client = window->geometry();
    window->move(available.topLeft() + QPoint(40, 30));
    EXPECT_NE(window->frameGeometry(), available);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->frameGeometry() == available; }));
    window->resize(300, 200);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->frameGeometry() == available; }));
    EXPECT_EQ(window->geometry(), client);
}

TEST_F(MainWindowTest, ScrollBarSitsAtTheRightWithTheWindowsRange)
{
    CkavriDlg* window = openWithoutLibrary();
    const int cw = window->width();
    const int ch = window->height();
    EXPECT_EQ(window->m_scrollBar->geometry(),
              QRect(cw * 98 / 100, ch / 100, 3 * cw / 200, ch * 98 / 100));
    EXPECT_EQ(window->m_rcScrollBar, window->m_scrollBar->geometry());
    EXPECT_EQ(window->scrollRange().max, 9 * ch / 5);
    EXPECT_EQ(window->scrollRange().page, ch);
    EXPECT_EQ(window->m_scrollBar->maximum(), 9 * ch / 5 - ch);
    EXPECT_EQ(window->m_scrollBar->singleStep(), 10);
    EXPECT_EQ(window->m_nScrollPos, 0);
    EXPECT_EQ(window->m_scrollBar->parentWidget(), window);
}

TEST_F(MainWindowTest, TheScrollBarsRequestsMoveTheContentButNotTheBar)
{
    CkavriDlg* window = openWithoutLibrary();
    QScrollBar* bar = window->m_scrollBar;
    const QRect barPlace = window->m_rcScrollBar;
    const int largest = window->scrollRange().largest();
    ASSERT_GT(largest, 20);

    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(window->m_nScrollPos, 10);
    EXPECT_EQ(window->content()->y(), -10);
    EXPECT_EQ(bar->value(), 10);
    EXPECT_EQ(bar->geometry(), barPlace);

    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(window->m_nScrollPos, largest);
    EXPECT_EQ(window->content()->y(), -largest);

    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(window->m_nScrollPos, largest);

    // "Scroll to top" of the bar's own menu is none of this window's requests.
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(window->m_nScrollPos, largest);

    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(window->m_nScrollPos, largest - 10);
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(window->m_nScrollPos, 0);
    EXPECT_EQ(window->content()->y(), 0);

    bar->setSliderPosition(123); // dragging the thumb
    EXPECT_EQ(window->m_nScrollPos, 123);
    EXPECT_EQ(window->content()->y(), -123);
    EXPECT_EQ(bar->geometry(), barPlace);
}

TEST_F(MainWindowTest, AWheelNotchScrollsAPageAndOtherDeltasNothing)
{
    CkavriDlg* window = openWithoutLibrary();
    const int largest = window->scrollRange().largest();
    const int page = window->scrollRange().page;
    const int expectedDown = qMin(page, largest);

    wheel(window, -120);
    EXPECT_EQ(window->m_nScrollPos, expectedDown);
    EXPECT_EQ(window->content()->y(), -expectedDown);
    wheel(window, -60);
    wheel(window, -240);
    wheel(window, 119);
    EXPECT_EQ(window->m_nScrollPos, expectedDown);
    wheel(window, 120);
    EXPECT_EQ(window->m_nScrollPos, 0);
    EXPECT_EQ(window->m_scrollBar->geometry(), window->m_rcScrollBar);

    // The wheel over the scroll bar follows the window's rule, not the bar's own steps.
    const QPointF at(2, 10);
    QWheelEvent onBar(at, window->m_scrollBar->mapToGlobal(at), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window->m_scrollBar, &onBar);
    EXPECT_EQ(window->m_nScrollPos, expectedDown);
}

TEST_F(MainWindowTest, EnterAndEscDoNotEndTheProgram)
{
    CkavriDlg* window = openWithoutLibrary();
    bool finished = false;
    QObject::connect(window, &QDialog::finished, [&finished] { finished = true; });
    for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(window, static_cast<Qt::Key>(key));
        QTest::keyClick(window->control(kName), static_cast<Qt::Key>(key));
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(finished);
    EXPECT_TRUE(window->isVisible());

    window->close();
    EXPECT_TRUE(finished);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, F1OpensTheAboutBox)
{
    CkavriDlg* window = openWithoutLibrary();
    EXPECT_EQ(window->aboutAction()->text(), QStringLiteral("关于 kavri(&A)..."));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QString caption;
    QStringList labels;
    QString button;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box) {
            return; // the test fails on the caption; F1 opened nothing
        }
        caption = box->windowTitle();
        for (QLabel* label : box->findChildren<QLabel*>()) {
            labels.append(label->text());
        }
        if (auto* ok = box->findChild<QPushButton*>()) {
            button = ok->text();
            ok->click();
        }
    });
    QTest::keyClick(window, Qt::Key_F1);
    EXPECT_EQ(caption, QStringLiteral("关于 kavri"));
    EXPECT_TRUE(labels.contains(QStringLiteral("kavri 1.0 版")));
    EXPECT_EQ(button, QStringLiteral("确定"));
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, TheLibraryButtonsStandInAColumnOfTheirBitmapsSize)
{
    CkavriDlg* window = openWithoutLibrary();
    CButtonXp* const buttons[] = {window->m_btnCompanyLibrary, window->m_btnDepartmentLibrary,
                                  window->m_btnPositionLibrary, window->m_btnReasonLibrary,
                                  window->m_btnTemplateLibrary};
    const QSize size(159, 30);
    const QPoint first = buttons[0]->pos();
    for (int i = 0; i < 5; ++i) {
        const CButtonXp* b = buttons[i];
        EXPECT_EQ(b->size(), size) << i;
        EXPECT_EQ(b->pos(), first + QPoint(0, i * 50)) << i; // 5/3 of 30
    }
}

} // namespace
