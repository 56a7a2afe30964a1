// Generate, Copy and the information panel: the certificate from the form, the used values
// remembered as their libraries' defaults, the certificate on the clipboard.
#include "ui/main/CkavriDlg.h"

#include "compose/CertificateComposer.h"
#include "store/CDbVisit.h"
#include "store/LibraryTables.h"
#include "ui/common/CtrlText.h"
#include "ui/common/Notifier.h"
#include "ui/controls/LineWidth.h"
#include "ui/main/LegalFormFields.h"
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

    // The reason is remembered as typed, note included; the certificate gets it without.
    const std::pair<const QString&, const QString&> remembered[] = {
        {LibraryTables::kCompany, values.company},
        {LibraryTables::kDepartment, values.department},
        {LibraryTables::kPosition, values.position},
        {LibraryTables::kReason, values.reason},
    };
    for (const auto& [table, value] : remembered) {
        if (!value.isEmpty()) {
            m_dbVisit.RememberLibraryValue(table, value);
        }
    }
    values.reason = Compose::TrimReasonText(values.reason);
    m_pLegalFields->fillValues(&values, QDate::currentDate());

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
