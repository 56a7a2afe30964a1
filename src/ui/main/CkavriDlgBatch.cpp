// 批量生成 from the main window's context menu: the batch dialog with the template shown and
// the form's current values, which rows may borrow where they leave a field empty.
#include "ui/main/CkavriDlg.h"

#include "batch/BatchField.h"
#include "compose/CertificateComposer.h"
#include "ui/batch/CBatchDlg.h"
#include "ui/common/CtrlText.h"
#include "ui/main/MainDialogIds.h"

using namespace MainIds;

CBatchDlg::Setup CkavriDlg::BatchSetup() const
{
    auto* self = const_cast<CkavriDlg*>(this);
    CBatchDlg::Setup setup;
    setup.templateName = GetCtrlText(self, kTemplateName);
    setup.templateText = m_strTemplateText;
    const auto set = [&setup](BatchField field, const QString& value) {
        setup.windowValues[static_cast<int>(field)] = value;
    };
    set(BatchField::Gender, GetCtrlText(self, kGender));
    set(BatchField::Company, GetCtrlText(self, kCompany));
    set(BatchField::Department, GetCtrlText(self, kDepartment));
    set(BatchField::Position, GetCtrlText(self, kPosition));
    set(BatchField::JoinDate, Compose::TrimDateText(GetCtrlText(self, kJoinDate)));
    set(BatchField::LeaveDate, Compose::TrimDateText(GetCtrlText(self, kLeaveDate)));
    set(BatchField::Reason, Compose::TrimReasonText(GetCtrlText(self, kReason)));
    setup.recorder = m_pBatchRecorder;
    return setup;
}

void CkavriDlg::OnBatch()
{
    CBatchDlg dialog(this, BatchSetup());
    dialog.exec();
}
