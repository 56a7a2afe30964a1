#include "MainWindowFixture.h"

void MainWindowFixture::TearDown()
{
    if (m_window) {
        m_window->close();
        m_window.reset();
    }
}

CkavriDlg* MainWindowFixture::openWindow(const QString& libraryPath)
{
    if (m_window) {
        m_window->close();
    }
    m_window = std::make_unique<CkavriDlg>(m_dbVisit, m_certText, libraryPath);
    m_window->OnInitDialog();
    return m_window.get();
}
