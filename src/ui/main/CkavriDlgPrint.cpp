// The printing commands of the main window: the print preview and the PDF export. Both send out
// the certificate the issuing session keeps (the last Generate's, with the user's edits).
#include "ui/main/CkavriDlg.h"

#include "ui/common/CtrlText.h"
#include "ui/main/MainDialogIds.h"
#include "ui/print/PrintCommands.h"
#include "ui/register/RegisterSession.h"

using namespace MainIds;

void CkavriDlg::OnPrintPreview()
{
    const QString text = m_pRegister->currentText();
    if (CMyFrame* frame = PrintCommands::OpenPrintPreview(this, text, &m_strCertText)) {
        // Each print from the preview is recorded with the text the preview was opened with.
        connect(frame, &CMyFrame::printed, this, [this, text] {
            m_pRegister->leave(this, Issue::LeavingKind::Printed, text);
        });
        emit previewOpened(frame);
    }
}

void CkavriDlg::OnExportPdf()
{
    const QString text = m_pRegister->currentText();
    // The file appears only together with its record in the register.
    PrintCommands::ExportPdf(this, text, GetCtrlText(this, kName), [this, text](StagedFile* file) {
        return m_pRegister->leave(this, Issue::LeavingKind::Pdf, text, file);
    });
}
