// What the law asks a certificate to state: the form's inputs for the contract term and the
// years of service, the hint beside the ID-card number, and the mark on the shown template's
// name when it leaves one of the four required items out.
#include "ui/main/CkavriDlg.h"

#include "legal/TemplateCompleteness.h"
#include "ui/main/LegalFormFields.h"
#include "ui/main/LegalFormIds.h"
#include "ui/main/MainDialogIds.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>

using namespace MainIds;

void CkavriDlg::BuildLegalControls()
{
    m_pLegalFields = std::make_unique<LegalFormFields>(
        m_pContent, control<QDateEdit>(kJoinDate), control<QDateEdit>(kLeaveDate),
        control<QLineEdit>(kIdNumber), control<QComboBox>(kGender));
    // Tab goes from the reason to the contract inputs, then on to Generate as before.
    QWidget* before = control(kReason);
    for (QWidget* input : m_pLegalFields->focusChain()) {
        QWidget::setTabOrder(before, input);
        before = input;
    }

    // A red mark right after the template's name; the name box itself does not move.
    m_pCompletenessMark = new QLabel(QStringLiteral("！"), m_pContent);
    m_pCompletenessMark->setObjectName(QString::number(LegalIds::kCompletenessMark));
    m_pCompletenessMark->setAccessibleName(QStringLiteral("模板缺少法定事项"));
    m_pCompletenessMark->setAlignment(Qt::AlignCenter);
    QPalette palette = m_pCompletenessMark->palette();
    palette.setColor(QPalette::WindowText, QColor(192, 0, 0));
    m_pCompletenessMark->setPalette(palette);
    QFont font = m_pCompletenessMark->font();
    font.setBold(true);
    m_pCompletenessMark->setFont(font);
    m_pCompletenessMark->hide();
}

void CkavriDlg::ShowTemplateCompleteness(const QString& templateText)
{
    const QString hint = Legal::missingItemsHint(Legal::missingItems(templateText));
    QWidget* nameBox = control(kTemplateName);
    nameBox->setToolTip(hint);
    m_pCompletenessMark->setToolTip(hint);
    m_pCompletenessMark->setAccessibleDescription(hint);
    const QRect name = nameBox->geometry();
    m_pCompletenessMark->setGeometry(name.right() + 1, name.y(), name.height(), name.height());
    m_pCompletenessMark->raise();
    m_pCompletenessMark->setVisible(!hint.isEmpty());
}
