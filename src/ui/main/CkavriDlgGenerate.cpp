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

    // The reason is remembered as typed, note included; the certificate gets it without.
    const std::pair<const char16_t*, const QString*> remembered[] = {
        {u"company_item_table", &values.company},
        {u"department_item_table", &values.department},
        {u"position_item_table", &values.position},
        {u"reason_item_bable", &values.reason},
    };
    for (const auto& [table, value] : remembered) {
        if (!value->isEmpty()) {
            RememberLibraryValue(QString::fromUtf16(table), *value);
        }
    }
    values.reason = Compose::TrimReasonText(values.reason);

    auto* result = control<QPlainTextEdit>(kResult);
    const int width = MeasureLineWidth(result);
    SetCtrlText(this, kResult, Compose::ComposeCertificate(m_strTemplateText, values, width));
}

void CkavriDlg::RememberLibraryValue(const QString& table, const QString& value)
{
    if (!m_pApp) {
        return;
    }
    CDbVisit& db = m_pApp->m_dbVisit;
    const QString marker = QStringLiteral("默认");
    const qint32 id = db.FindRecordId(table, QStringLiteral("item1"), marker);
    db.SetRecordValue(table, QStringLiteral("item1"), QString(), id);
    const qint32 id2 = db.FindRecordId(table, QStringLiteral("item3"), value);
    if (id2 > 0) {
        db.SetRecordValue(table, QStringLiteral("item1"), marker, id2);
    } else {
        QStringList texts(10);
        texts[0] = marker;
        texts[2] = value;
        db.AddItemRecord(table, 10, texts, -1);
    }
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
