// 批量生成 from the main window's context menu: the batch dialog with the template shown and
// the form's current values, which rows may borrow where they leave a field empty.
#include "ui/main/CkavriDlg.h"

#include "batch/BatchField.h"
#include "compose/FormFields.h"
#include "ui/batch/CBatchDlg.h"
#include "ui/common/CtrlText.h"
#include "ui/main/FormControls.h"
#include "ui/main/MainDialogIds.h"
#include "ui/register/RegisterSession.h"

using namespace MainIds;

CBatchDlg::Setup CkavriDlg::BatchSetup() const
{
    auto* self = const_cast<CkavriDlg*>(this);
    CBatchDlg::Setup setup;
    setup.templateName = GetCtrlText(self, kTemplateName);
    setup.templateText = m_strTemplateText;
    // Every field but the two that name the person, cleaned as Generate cleans them.
    for (size_t i = 0; i < kFormControls.size(); ++i) {
        const auto field = static_cast<Compose::FieldIndex>(i);
        if (field == Compose::FieldIndex::Name || field == Compose::FieldIndex::IdNumber) {
            continue;
        }
        setup.windowValues[i] = Compose::trimmedValue(Compose::kFormFields[i],
                                                      GetCtrlText(self, kFormControls[i].input));
    }
    // The batch numbers its certificates in the register the window's Generate uses.
    setup.registerPath = m_pRegister->path();
    setup.registerServer = m_pRegister->server();
    return setup;
}

void CkavriDlg::OnBatch()
{
    CBatchDlg dialog(this, BatchSetup());
    dialog.exec();
}
