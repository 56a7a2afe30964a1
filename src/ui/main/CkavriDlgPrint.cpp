// The printing commands of the main window: the print preview and the PDF (or OFD) export. Both
// send out the certificate the issuing session keeps (the last Generate's, with the user's edits).
#include "ui/main/CkavriDlg.h"

#include "ui/common/CtrlText.h"
#include "ui/main/MainDialogIds.h"
#include "ui/print/CMyPreviewView.h"
#include "ui/print/PrintCommands.h"
#include "ui/register/RegisterSession.h"

#include <memory>

using namespace MainIds;

void CkavriDlg::OnPrintPreview()
{
    const QString text = m_pRegister->currentText();
    // Signed once as the preview opens: the page shows the code, and every print from it
    // carries that code and records it.
    const std::optional<Issue::Sealed> sealed = m_pRegister->seal(this, text);
    if (!sealed) {
        return;
    }
    if (CMyFrame* frame =
            PrintCommands::OpenPrintPreview(this, text, &m_strCertText, sealed->code)) {
        // Looking at the page sends nothing out: the wording is checked when 打印 is chosen,
        // before the printer dialog, and what the clerk went on with is recorded with the print.
        auto note = std::make_shared<Register::LeavingNote>();
        note->seal = sealed->seal;
        frame->previewView()->setBeforePrint([frame, text, note] {
            const std::optional<Register::LeavingNote> checked =
                RegisterSession::confirmWording(frame, text);
            if (checked) {
                note->wording = checked->wording;
            }
            return checked.has_value();
        });
        // Each print from the preview is recorded with the text the preview was opened with.
        connect(frame, &CMyFrame::printed, this, [this, text, note] {
            m_pRegister->leave(this, Issue::LeavingKind::Printed, text, nullptr, *note);
        });
        emit previewOpened(frame);
    }
}

void CkavriDlg::OnExportPdf()
{
    const QString text = m_pRegister->currentText();
    const CertificateOfdInfo info{GetCtrlText(this, kCompany), {m_pRegister->currentNumber()}, {}};
    // Checked before a file name is asked for: stopped there, no file is written.
    std::optional<Register::LeavingNote> note = RegisterSession::confirmWording(this, text);
    if (!note) {
        return;
    }
    // Signed before the page is drawn; the same code is recorded with the leaving.
    const std::optional<Issue::Sealed> sealed = m_pRegister->seal(this, text);
    if (!sealed) {
        return;
    }
    note->seal = sealed->seal;
    // The file appears only together with its record in the register.
    PrintCommands::ExportPdf(
        this, text, GetCtrlText(this, kName), info,
        [this, text, note = *note](StagedFile* file, PrintCommands::ExportFormat format) {
            return m_pRegister->leave(this,
                                      format == PrintCommands::ExportFormat::Ofd
                                          ? Issue::LeavingKind::Ofd
                                          : Issue::LeavingKind::Pdf,
                                      text, file, note);
        },
        sealed->code);
}
