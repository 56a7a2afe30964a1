#include "ui/library/CModXxxDlg.h"

const QString CModXxxDlg::kTemplateTitle = QStringLiteral("修改离职模板");

CModXxxDlg::CModXxxDlg(QWidget* parent) : CEntryEditorDlg({159, 1045, kTemplateTitle}, parent) {}

CModXxxDlg::~CModXxxDlg() = default;

void CModXxxDlg::OnInitDialog()
{
    CEntryEditorDlg::OnInitDialog();
    // The preset values once more, after the boxes have their final visibility.
    DoDataExchange(false);
}
