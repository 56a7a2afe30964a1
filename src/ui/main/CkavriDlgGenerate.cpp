// Generate, Copy and the information panel: the certificate from the form, the used values
// remembered as their libraries' defaults, the certificate on the clipboard.
#include "ui/main/CkavriDlg.h"

#include "compose/CertificateComposer.h"
#include "compose/ValueCharacters.h"
#include "store/CDbVisit.h"
#include "store/LibraryTables.h"
#include "ui/common/CtrlText.h"
#include "ui/common/Notifier.h"
#include "ui/controls/LineWidth.h"
#include "ui/main/CkavriDlgRegister.h"
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
    // A certificate cannot state a contract that ends before it starts: say so, and make,
    // remember and record nothing.
    const QString problem = m_pLegalFields->generateProblem(m_strTemplateText);
    if (!problem.isEmpty()) {
        Notifier::information(this, problem);
        return;
    }
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
    // A control or text-direction character would be registered and printed unseen: refuse it,
    // naming the field, before anything is remembered or numbered.
    if (const QString bad = Compose::certificateValuesProblem(values); !bad.isEmpty()) {
        Notifier::information(this, bad);
        return;
    }

    // The reason is remembered as typed, note included; the certificate gets it without. All
    // four libraries change together or not at all.
    if (!m_dbVisit.RememberLibraryValues({
            {LibraryTables::kCompany, values.company},
            {LibraryTables::kDepartment, values.department},
            {LibraryTables::kPosition, values.position},
            {LibraryTables::kReason, values.reason},
        })) {
        // A team library whose server cannot be reached: the notice is given and nothing
        // changes, the register and the result box included. A connection that broke is opened
        // again by the next Generate.
        return;
    }
    values.reason = Compose::TrimReasonText(values.reason);
    const QDate issued = QDate::currentDate();
    m_pLegalFields->fillValues(&values, issued);

    auto* result = control<QPlainTextEdit>(kResult);
    const int width = MeasureLineWidth(result);
    // Every Generate is an entry of the register; its number goes into 【证明编号】.
    Register::NewEntry entry;
    entry.templateName = GetCtrlText(this, kTemplateName);
    entry.templateText = m_strTemplateText;
    entry.values = RegisterFormValues(values);
    entry.values += m_pLegalFields->registerValues(m_strTemplateText, issued);
    const QString text = m_pRegister->issue(this, entry, [&](const QString& number) {
        values.certificateNumber = number;
        return Compose::ComposeCertificate(m_strTemplateText, values, width);
    });
    SetCtrlText(this, kResult, text);
}

void CkavriDlg::OnCopyText()
{
    UpdateData(true);
    QGuiApplication::clipboard()->setText(m_strResult);
    m_pRegister->recordLeaving(this, Register::EventKind::Copied, m_strResult);
    Notifier::information(this, QStringLiteral("已将生成的离职证明复制到剪切板上！"));
}

void CkavriDlg::OnInfoPanelClick()
{
    const QDir folder(QCoreApplication::applicationDirPath());
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::cleanPath(folder.filePath(kReadmePath))));
}
