// The printing commands of the main window: the print preview and the PDF (or OFD) export.
#include "ui/main/CkavriDlg.h"

#include "ui/common/CtrlText.h"
#include "ui/main/MainDialogIds.h"
#include "ui/print/PrintCommands.h"
#include "ui/register/RegisterSession.h"

using namespace MainIds;

void CkavriDlg::OnPrintPreview()
{
    const QString text = GetCtrlText(this, kResult);
    if (CMyFrame* frame = PrintCommands::OpenPrintPreview(this, text, &m_strCertText)) {
        // Each print from the preview is recorded with the text the preview was opened with.
        connect(frame, &CMyFrame::printed, this, [this, text] {
            m_pRegister->recordLeaving(this, Register::EventKind::Printed, text);
        });
        emit previewOpened(frame);
    }
}

void CkavriDlg::OnExportPdf()
{
    const QString text = GetCtrlText(this, kResult);
    const CertificateOfdInfo info{GetCtrlText(this, kCompany), {m_pRegister->currentNumber()}, {}};
    if (const auto format = PrintCommands::ExportPdf(this, text, GetCtrlText(this, kName), info)) {
        m_pRegister->recordLeaving(this,
                                   *format == PrintCommands::ExportFormat::Ofd
                                       ? Register::EventKind::OfdExported
                                       : Register::EventKind::PdfExported,
                                   text);
    }
}
