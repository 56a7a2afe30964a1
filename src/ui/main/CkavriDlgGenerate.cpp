// Generate, Copy and the information panel: the certificate from the form, the used values
// remembered as their libraries' defaults, the certificate on the clipboard.
#include "ui/main/CkavriDlg.h"

#include "issue/CertificateIssuer.h"
#include "ui/common/CtrlText.h"
#include "ui/common/Notifier.h"
#include "ui/controls/LineWidth.h"
#include "ui/main/FormControls.h"
#include "ui/main/LegalFormFields.h"
#include "ui/main/MainDialogIds.h"
#include "ui/register/RegisterSession.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QUrl>

using namespace MainIds;

// The information panel opens the program's README, installed (and mirrored in the build
// tree) at this place relative to the folder of the executable.
const QString CkavriDlg::kReadmePath = QStringLiteral("../share/doc/kavri/README.md");

void CkavriDlg::OnGenerate()
{
    ReachTeamLibrary();
    // The form as it stands; the issuer checks it, makes the values used their libraries'
    // defaults, numbers the certificate in the register and composes it for the result box.
    Issue::Request request;
    request.templateName = GetCtrlText(this, kTemplateName);
    request.templateText = m_strTemplateText;
    for (size_t i = 0; i < kFormControls.size(); ++i) {
        request.fields[i] = GetCtrlText(this, kFormControls[i].input);
    }
    request.dates = m_pLegalFields->dates(QDate::currentDate());
    // Measuring fills the box with a probe; a certificate that cannot be made leaves the box as
    // it was, after one notice.
    const QString shown = GetCtrlText(this, kResult);
    const int width = MeasureLineWidth(control<QPlainTextEdit>(kResult));
    const bool made = m_pRegister->issue(this, request, width);
    SetCtrlText(this, kResult, made ? m_pRegister->currentText() : shown);
}

void CkavriDlg::OnCopyText()
{
    UpdateData(true);
    // Checked before it reaches the clipboard: stopped there, nothing leaves.
    const std::optional<Register::LeavingNote> note =
        RegisterSession::confirmWording(this, m_strResult);
    if (!note) {
        return;
    }
    QGuiApplication::clipboard()->setText(m_strResult);
    m_pRegister->leave(this, Issue::LeavingKind::Copied, m_strResult, nullptr, *note);
    Notifier::information(this, QStringLiteral("已将生成的离职证明复制到剪切板上！"));
}

void CkavriDlg::OnInfoPanelClick()
{
    const QDir folder(QCoreApplication::applicationDirPath());
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::cleanPath(folder.filePath(kReadmePath))));
}
