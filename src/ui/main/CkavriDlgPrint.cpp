// The printing commands of the main window: the print preview and the PDF export.
#include "ui/main/CkavriDlg.h"

#include "print/PrintCommands.h"
#include "ui/common/CtrlText.h"
#include "ui/main/MainDialogIds.h"

using namespace MainIds;

void CkavriDlg::OnPrintPreview()
{
    if (CMyFrame* frame =
            PrintCommands::OpenPrintPreview(this, GetCtrlText(this, kResult), &m_strCertText)) {
        emit previewOpened(frame);
    }
}

void CkavriDlg::OnExportPdf()
{
    PrintCommands::ExportPdf(this, GetCtrlText(this, kResult), GetCtrlText(this, kName));
}
