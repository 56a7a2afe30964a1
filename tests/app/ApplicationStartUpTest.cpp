#include "RecordingNotifier.h"
#include "TempLibrary.h"
#include "app/CkavriApp.h"
#include "ui/controls/ListViewCtrl.h"
#include "ui/main/CkavriDlg.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(ApplicationStartUp, InitInstanceRunsTheMainWindowUntilItClosesAndReturnsFalse)
{
    RecordingNotifier notifier;
    TempLibrary library;
    ASSERT_TRUE(library.isValid());
    CkavriApp* app = CkavriApp::instance();
    app->setLibraryFilePath(library.path());
    int rows = -1;
    bool connected = false;
    QTimer::singleShot(0, [&] {
        auto* window = qobject_cast<CkavriDlg*>(app->m_pMainWnd.data());
        if (!window) {
            return; // nothing ran: InitInstance would hang, the test times out
        }
        rows = window->m_listTemplates->rowCount();
        connected = app->m_dbVisit.m_pConnection != nullptr;
        window->close();
    });
    EXPECT_EQ(app->InitInstance(), 0);
    EXPECT_GT(rows, 0);
    EXPECT_TRUE(connected);
    EXPECT_EQ(app->m_pMainWnd, nullptr);
    EXPECT_EQ(app->m_dbVisit.m_pConnection, nullptr) << "closing the window closed the library";
    EXPECT_TRUE(app->m_strCertText.isEmpty());
    EXPECT_TRUE(notifier.notices().isEmpty());
    app->setLibraryFilePath(QString());
}

} // namespace
