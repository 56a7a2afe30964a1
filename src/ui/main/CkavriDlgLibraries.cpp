// The five library buttons: each runs the library browser for one library. The main window
// reloads nothing when the browser closes; what changed shows in its lists at the next start.
#include "ui/main/CkavriDlg.h"

#include "ui/library/CBasicdatasetDlg.h"
#include "ui/library/LibraryConfiguration.h"

namespace {

void RunLibraryBrowser(CDbVisit& dbVisit, QWidget* owner, const LibraryConfiguration& library)
{
    CBasicdatasetDlg browser(dbVisit, owner);
    library.applyTo(browser);
    browser.exec();
}

} // namespace

void CkavriDlg::OnCompanyLibrary()
{
    ReachTeamLibrary();
    RunLibraryBrowser(m_dbVisit, this, LibraryConfiguration::company());
}

void CkavriDlg::OnDepartmentLibrary()
{
    ReachTeamLibrary();
    RunLibraryBrowser(m_dbVisit, this, LibraryConfiguration::department());
}

void CkavriDlg::OnPositionLibrary()
{
    ReachTeamLibrary();
    RunLibraryBrowser(m_dbVisit, this, LibraryConfiguration::position());
}

void CkavriDlg::OnReasonLibrary()
{
    ReachTeamLibrary();
    RunLibraryBrowser(m_dbVisit, this, LibraryConfiguration::reason());
}

void CkavriDlg::OnTemplateLibrary()
{
    ReachTeamLibrary();
    RunLibraryBrowser(m_dbVisit, this, LibraryConfiguration::certificateTemplate());
}
