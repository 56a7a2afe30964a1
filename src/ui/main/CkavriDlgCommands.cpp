// The commands of the main window's buttons and of the information panel.
#include "ui/main/CkavriDlg.h"

#include "ui/controls/CButtonXp.h"
#include "ui/controls/PictureLabel.h"
#include "ui/main/MainDialogIds.h"

#include <QPushButton>

using namespace MainIds;

void CkavriDlg::ConnectCommands()
{
    connect(control<QPushButton>(kGenerate), &QPushButton::clicked, this, &CkavriDlg::OnGenerate);
    connect(control<QPushButton>(kCopyText), &QPushButton::clicked, this, &CkavriDlg::OnCopyText);
    connect(control<QPushButton>(kPrintPreview), &QPushButton::clicked, this,
            &CkavriDlg::OnPrintPreview);
    connect(control<QPushButton>(kExportPdf), &QPushButton::clicked, this, &CkavriDlg::OnExportPdf);
    connect(control<PictureLabel>(kInfoPanel), &PictureLabel::clicked, this,
            &CkavriDlg::OnInfoPanelClick);
    connect(m_btnCompanyLibrary, &QAbstractButton::clicked, this, &CkavriDlg::OnCompanyLibrary);
    connect(m_btnDepartmentLibrary, &QAbstractButton::clicked, this,
            &CkavriDlg::OnDepartmentLibrary);
    connect(m_btnPositionLibrary, &QAbstractButton::clicked, this, &CkavriDlg::OnPositionLibrary);
    connect(m_btnReasonLibrary, &QAbstractButton::clicked, this, &CkavriDlg::OnReasonLibrary);
    connect(m_btnTemplateLibrary, &QAbstractButton::clicked, this, &CkavriDlg::OnTemplateLibrary);
}
