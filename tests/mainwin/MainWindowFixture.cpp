#include "MainWindowFixture.h"

#include "app/CkavriApp.h"

void MainWindowFixture::TearDown()
{
    if (m_window) {
        m_window->close();
        m_window.reset();
    }
    CkavriApp::instance()->setLibraryFilePath(QString());
}

CkavriDlg* MainWindowFixture::openWindow(const QString& libraryPath)
{
    if (m_window) {
        m_window->close();
    }
    CkavriApp::instance()->setLibraryFilePath(libraryPath);
    m_window = std::make_unique<CkavriDlg>();
    m_window->OnInitDialog();
    return m_window.get();
}
