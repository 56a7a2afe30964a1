// The printing commands of the main window: the print preview and the PDF (or OFD) export. Both
// send out the certificate the issuing session keeps (the last Generate's, with the user's edits).
#include "ui/main/CkavriDlg.h"

#include "ui/common/CtrlText.h"
#include "ui/main/MainDialogIds.h"
#include "ui/print/PrintCommands.h"
#include "ui/register/RegisterSession.h"

using namespace MainIds;

void CkavriDlg::OnPrintPreview()
{
    const QString text = m_pRegister->currentText();
    // Signed once as the preview opens: every print from it carries that code.
    const std::optional<Issue::Sealed> sealed = m_pRegister->seal(this, text);
    if (!sealed) {
        return;
    }
    if (CMyFrame* frame =
            PrintCommands::OpenPrintPreview(this, text, &m_strCertText, sealed->code)) {
        // Each print from the preview is recorded with the text the preview was opened with.
        connect(frame, &CMyFrame::printed, this, [this, text, seal = sealed->seal] {
            m_pRegister->leave(this, Issue::LeavingKind::Printed, text, nullptr,
                               Register::LeavingNote{seal, {}});
        });
        emit previewOpened(frame);
    }
}

void CkavriDlg::OnExportPdf()
{
    const QString text = m_pRegister->currentText();
    const std::optional<Issue::Sealed> sealed = m_pRegister->seal(this, text);
    if (!sealed) {
        return;
    }
    const CertificateOfdInfo info{GetCtrlText(this, kCompany), {m_pRegister->currentNumber()}, {}};
    // The file appears only together with its record in the register.
    PrintCommands::ExportPdf(this, text, GetCtrlText(this, kName), info,
                             [this, text, seal = sealed->seal](StagedFile* file,
                                                               PrintCommands::ExportFormat format) {
                                 return m_pRegister->leave(
                                     this,
                                     format == PrintCommands::ExportFormat::Ofd
                                         ? Issue::LeavingKind::Ofd
                                         : Issue::LeavingKind::Pdf,
                                     text, file, Register::LeavingNote{seal, {}});
                             },
                             sealed->code);
}
