// The register from the main window: 登记簿 in the context menu, and what Generate records.
#include "ui/main/CkavriDlg.h"

#include "register/CertificateRegister.h"
#include "register/RegisterFiles.h"
#include "ui/main/CkavriDlgRegister.h"
#include "ui/register/CRegisterDlg.h"
#include "ui/register/RegisterSession.h"

#include <QAction>

void CkavriDlg::SetUpRegister()
{
    // The register sits beside the library file the window works on.
    m_pRegister = std::make_unique<RegisterSession>(Register::registerPathBeside(m_strLibraryPath));
    m_pRegisterAction = new QAction(QStringLiteral("登记簿(&R)…"), this);
    m_pRegisterAction->setObjectName(QStringLiteral("registerAction"));
    connect(m_pRegisterAction, &QAction::triggered, this, &CkavriDlg::OnRegister);
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

Register::FormValues RegisterFormValues(const CertificateValues& values)
{
    // Under the placeholders' names, in the form's order.
    return {
        {QStringLiteral("姓名"), values.name},
        {QStringLiteral("性别"), values.gender},
        {QStringLiteral("身份证号"), values.idNumber},
        {QStringLiteral("公司名称"), values.company},
        {QStringLiteral("部门"), values.department},
        {QStringLiteral("职位"), values.position},
        {QStringLiteral("入职日期"), values.joinDate},
        {QStringLiteral("离职日期"), values.leaveDate},
        {QStringLiteral("离职原因"), values.reason},
    };
}
