#include "app/CkavriApp.h"

#include "store/LibraryFilePath.h"
#include "app/SessionEndWatcher.h"
#include "backup/KavriBackup.h"
#include "ui/common/ApplicationSetup.h"
#include "ui/main/CkavriDlg.h"
#include "ui/print/CMyFrame.h"

CkavriApp::CkavriApp(int& argc, char** argv) : QApplication(argc, argv)
{
    SetUpApplication(*this);
}

CkavriApp::~CkavriApp() = default;

CkavriApp* CkavriApp::instance()
{
    return qobject_cast<CkavriApp*>(QCoreApplication::instance());
}

int CkavriApp::InitInstance()
{
    // A backup killed half way by an earlier run leaves a copy of the register in a temporary
    // folder: it goes now.
    KavriBackup::removeLeftovers(QString());
    CkavriDlg dlg(m_dbVisit, m_strCertText, libraryFilePath());
    m_pMainWnd = &dlg;
    ConnectMainWindow(dlg);
    // The end of the desktop session (SIGTERM, SIGHUP) closes the window as its close box does.
    SessionEndWatcher watcher;
    connect(&watcher, &SessionEndWatcher::sessionEnding, &dlg, [&dlg] { CloseForSessionEnd(dlg); });
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return 0;
}

void CkavriApp::ConnectMainWindow(CkavriDlg& dlg)
{
    const QPointer<QWidget> window(&dlg);
    connect(&dlg, &CkavriDlg::previewOpened, this, [this, window](CMyFrame* frame) {
        m_pMainWnd = frame;
        connect(frame, &CMyFrame::previewClosed, this, [this, window] { m_pMainWnd = window; });
    });
}

QString CkavriApp::libraryFilePath() const
{
    return m_strLibraryPath.isEmpty() ? DefaultLibraryFilePath() : m_strLibraryPath;
}
