// The printing commands of the main window: the print preview and the PDF export.
#include "ui/main/CkavriDlg.h"

#include "app/CkavriApp.h"
#include "print/PrintCommands.h"
#include "store/CDbVisit.h"
#include "ui/main/MainDialogIds.h"

using namespace MainIds;

void CkavriDlg::OnPrintPreview()
{
    CkavriApp* app = CkavriApp::instance();
    PrintCommands::OpenPrintPreview(this, GetCtrlText(this, kResult), &app->m_strCertText,
                                    &app->m_pMainWnd);
}

void CkavriDlg::OnExportPdf()
{
    PrintCommands::ExportPdf(this, GetCtrlText(this, kResult), GetCtrlText(this, kName));
}
