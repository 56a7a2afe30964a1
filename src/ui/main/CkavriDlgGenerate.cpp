// Generate, Copy and the information panel: the certificate from the form, the used values
// remembered as their libraries' defaults, the certificate on the clipboard.
#include "ui/main/CkavriDlg.h"

#include "app/CkavriApp.h"
#include "app/Notifier.h"
#include "compose/CertificateComposer.h"
#include "ui/controls/LineWidth.h"
#include "ui/main/MainDialogIds.h"

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
    CertificateValues values;
    values.name = GetCtrlText(this, kName);
    values.gender = GetCtrlText(this, kGender);
    values.idNumber = GetCtrlText(this, kIdNumber);
    values.company = GetCtrlText(this, kCompany);
    values.department = GetCtrlText(this, kDepartment);
    values.position = GetCtrlText(this, kPosition);
    values.joinDate = Compose::TrimDateText(GetCtrlText(this, kJoinDate));
    values.leaveDate = Compose::TrimDateText(GetCtrlText(this, kLeaveDate));
    values.reason = GetCtrlText(this, kReason);

    // The reason is remembered as typed, note included; the certificate gets it without. All
    // four libraries change together or not at all.
    if (m_pApp) {
        m_pApp->m_dbVisit.RememberLibraryValues({
            {QStringLiteral("company_item_table"), values.company},
            {QStringLiteral("department_item_table"), values.department},
            {QStringLiteral("position_item_table"), values.position},
            {QStringLiteral("reason_item_bable"), values.reason},
        });
    }
    values.reason = Compose::TrimReasonText(values.reason);

    auto* result = control<QPlainTextEdit>(kResult);
    const int width = MeasureLineWidth(result);
    SetCtrlText(this, kResult, Compose::ComposeCertificate(m_strTemplateText, values, width));
}

void CkavriDlg::OnCopyText()
{
    UpdateData(true);
    QGuiApplication::clipboard()->setText(m_strResult);
    Notifier::information(this, QStringLiteral("已将生成的离职证明复制到剪切板上！"));
}

void CkavriDlg::OnInfoPanelClick()
{
    const QDir folder(QCoreApplication::applicationDirPath());
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::cleanPath(folder.filePath(kReadmePath))));
}
