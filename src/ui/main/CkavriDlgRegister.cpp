// The register from the main window: 登记簿 in the context menu, and the issuing session that
// Generate, printing, exporting and copying go through.
#include "ui/main/CkavriDlg.h"

#include "register/CertificateRegister.h"
#include "register/RegisterFiles.h"
#include "ui/common/CtrlText.h"
#include "ui/main/MainDialogIds.h"
#include "ui/register/CRegisterDlg.h"
#include "ui/register/RegisterSession.h"

#include <QAction>
#include <QPlainTextEdit>

void CkavriDlg::SetUpRegister()
{
    // The register sits beside the library file the window works on.
    m_pRegister = std::make_unique<RegisterSession>(Register::registerPathBeside(m_strLibraryPath));
    // Every certificate makes the values it used its libraries' defaults.
    m_pRegister->issuer().setLibrary(&m_dbVisit);
    m_pRegisterAction = new QAction(QStringLiteral("登记簿(&R)…"), this);
    m_pRegisterAction->setObjectName(QStringLiteral("registerAction"));
    connect(m_pRegisterAction, &QAction::triggered, this, &CkavriDlg::OnRegister);
    // The certificate kept for printing, exporting and copying follows the user's edits.
    auto* result = control<QPlainTextEdit>(MainIds::kResult);
    connect(result, &QPlainTextEdit::textChanged, this,
            [this] { m_pRegister->setCurrentText(GetCtrlText(this, MainIds::kResult)); });
}

void CkavriDlg::OnRegister()
{
    ReachTeamLibrary();
    if (Register::CertificateRegister* reg = m_pRegister->reg(this)) {
        CRegisterDlg dlg(reg, this);
        dlg.setKeyFolder(m_pRegister->path());
        dlg.exec();
    }
}
