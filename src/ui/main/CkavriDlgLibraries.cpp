// The five library buttons: each runs the library browser for one library. The main window
// reloads nothing when the browser closes; what changed shows in its lists at the next start.
#include "ui/main/CkavriDlg.h"

#include "app/CkavriApp.h"
#include "ui/library/CBasicdatasetDlg.h"
#include "ui/library/LibraryConfiguration.h"

namespace {

void RunLibraryBrowser(QWidget* owner, CkavriApp* app, const LibraryConfiguration& library)
{
    if (!app) {
        return;
    }
    CBasicdatasetDlg browser(app->m_dbVisit, owner);
    library.applyTo(browser);
    browser.exec();
}

} // namespace

void CkavriDlg::OnCompanyLibrary()
{
    RunLibraryBrowser(this, m_pApp, LibraryConfiguration::company());
}

void CkavriDlg::OnDepartmentLibrary()
{
    RunLibraryBrowser(this, m_pApp, LibraryConfiguration::department());
}

void CkavriDlg::OnPositionLibrary()
{
    RunLibraryBrowser(this, m_pApp, LibraryConfiguration::position());
}

void CkavriDlg::OnReasonLibrary()
{
    RunLibraryBrowser(this, m_pApp, LibraryConfiguration::reason());
}

void CkavriDlg::OnTemplateLibrary()
{
    RunLibraryBrowser(this, m_pApp, LibraryConfiguration::certificateTemplate());
}
