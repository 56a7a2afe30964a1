#include "ui/library/CEntryEditorDlg.h"

#include "ui/common/Notifier.h"
#include "ui/library/DialogReturnKey.h"
#include "ui/library/EditText.h"
#include "ui/library/LibraryDialogTemplate.h"
#include "ui/library/TemplateCompletenessLine.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

const QString CEntryEditorDlg::kEmptyInputMessage =
    QStringLiteral("大侠，您得填写点啥内容才能保存哦！");

CEntryEditorDlg::CEntryEditorDlg(const Layout& layout, QWidget* parent)
    : QDialog(parent), m_layout(layout)
{
    BuildDialogFromTemplate(this, layout.dialogId);
    m_pOk = DialogControl<QPushButton>(this, 1);
    m_pDoNothing = DialogControl<QPushButton>(this, 1003);
    m_pPrompt = DialogControl<QLabel>(this, layout.promptId);
    m_pNameBox = DialogControl<QLineEdit>(this, 529);
    m_pTextBox = DialogControl<QPlainTextEdit>(this, 1033);
    new DialogReturnKey(m_pTextBox);

    // Under the template text, the items it leaves out of what a certificate must state.
    m_pCompleteness = new QLabel(this);
    m_pCompleteness->setObjectName(QString::number(kCompletenessLineId));
    m_pCompleteness->hide();

    connect(m_pOk, &QPushButton::clicked, this, &CEntryEditorDlg::OnOK);
    connect(DialogControl<QPushButton>(this, 2), &QPushButton::clicked, this, &QDialog::reject);
    // 1003 is the dialog's default button so that Enter in a box lands somewhere harmless;
    // it is hidden and has no handler.
    m_pDoNothing->setDefault(true);
}

CEntryEditorDlg::~CEntryEditorDlg() = default;

void CEntryEditorDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CEntryEditorDlg::OnInitDialog()
{
    DoDataExchange(false);
    setWindowTitle(m_strTitle);
    m_pPrompt->setText(m_strPrompt);
    // The boxes have no labels on screen, only the hint line above them.
    m_pNameBox->setAccessibleName(QStringLiteral("名称"));
    m_pNameBox->setAccessibleDescription(m_strPrompt);
    m_pTextBox->setAccessibleName(QStringLiteral("模板内容"));
    m_pTextBox->setVisible(IsTemplateMode());
    if (IsTemplateMode()) {
        const QRect box = m_pTextBox->geometry();
        // Two lines fit between the text box and the buttons when all four items are missing.
        const int line = m_pCompleteness->fontMetrics().height();
        m_pCompleteness->setWordWrap(true);
        m_pCompleteness->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        m_pCompleteness->setGeometry(box.x(), box.bottom() + 1 + line / 4, box.width(), 2 * line);
        TemplateCompletenessLine::attach(m_pTextBox, m_pCompleteness);
        m_pCompleteness->show();
    }
    m_pOk->setFocus();
}

void CEntryEditorDlg::DoDataExchange(bool bSaveAndValidate)
{
    if (!bSaveAndValidate) {
        m_pNameBox->setText(m_strName);
        m_pTextBox->setPlainText(EditText::toBox(m_strText));
        // What the box gives back, which may differ from what it was given.
        m_strShownText = m_pTextBox->toPlainText();
        return;
    }
    m_strName = m_pNameBox->text();
    // A text the user left alone goes back exactly as it came, whatever line breaks or
    // characters the box would have normalised on the way.
    const QString boxText = m_pTextBox->toPlainText();
    if (boxText != m_strShownText) {
        m_strText = EditText::fromBox(boxText);
        m_strShownText = boxText;
    }
}

void CEntryEditorDlg::OnOK()
{
    DoDataExchange(true);
    if (m_strName.isEmpty() || (IsTemplateMode() && m_strText.isEmpty())) {
        Notifier::information(this, kEmptyInputMessage);
        return;
    }
    accept();
}
