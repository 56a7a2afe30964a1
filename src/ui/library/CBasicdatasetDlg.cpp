#include "ui/library/CBasicdatasetDlg.h"

#include "store/CDbVisit.h"
#include "store/LibraryTables.h"
#include "ui/common/Notifier.h"
#include "ui/common/WaitCursor.h"
#include "ui/controls/RecordControls.h"
#include "ui/library/CAddXxxDlg.h"
#include "ui/library/CModXxxDlg.h"
#include "ui/library/DialogReturnKey.h"
#include "ui/library/EditText.h"
#include "ui/library/LibraryDialogTemplate.h"
#include "ui/library/TreeFocusSelection.h"
#include "ui/library/TypedTextLimit.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

// The preview starts with a line of three spaces and an empty line.
const QString kPreviewLead = QStringLiteral("   \r\n\r\n");

} // namespace

const QString CBasicdatasetDlg::kTooLongMessage =
    QStringLiteral("预览框中的文字超过了 %1 个字符，请删减后再关闭。").arg(kPreviewLimit);

CBasicdatasetDlg::CBasicdatasetDlg(CDbVisit& dbVisit, QWidget* parent)
    : QDialog(parent), m_dbVisit(dbVisit)
{
    BuildDialogFromTemplate(this, 160);
    m_pTree = DialogControl<QTreeWidget>(this, 527);
    m_pPreview = DialogControl<QPlainTextEdit>(this, 529);
    m_pAdd = DialogControl<QPushButton>(this, 1070);
    m_pModify = DialogControl<QPushButton>(this, 1071);
    m_pDelete = DialogControl<QPushButton>(this, 1072);
    m_pPreviewLimit = new TypedTextLimit(m_pPreview, kPreviewLimit);
    new DialogReturnKey(m_pPreview);
    new TreeFocusSelection(m_pTree);

    // A Windows dialog without a default button has none; Qt would make the first
    // auto-default button the default one and give Enter to it. Enter is handled in
    // keyPressEvent instead.
    for (QPushButton* button : {m_pAdd, m_pModify, m_pDelete}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    m_pTree->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_pTree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { OnSelChangedTree(current); });
    connect(m_pAdd, &QPushButton::clicked, this, &CBasicdatasetDlg::OnAdd);
    connect(m_pModify, &QPushButton::clicked, this, &CBasicdatasetDlg::OnModify);
    connect(m_pDelete, &QPushButton::clicked, this, &CBasicdatasetDlg::OnDelete);
}

CBasicdatasetDlg::~CBasicdatasetDlg() = default;

void CBasicdatasetDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CBasicdatasetDlg::OnInitDialog()
{
    SetPreviewText(QString());
    setWindowTitle(m_strTitle);
    // Neither box has a label on screen; a screen reader names them by what they show. The
    // tree's header is hidden, but a screen reader would still call its column "1".
    m_pTree->setAccessibleName(m_strTitle);
    m_pTree->setHeaderLabel(m_strTitle);
    m_pPreview->setAccessibleName(QStringLiteral("预览"));
    FillRecordTree(m_dbVisit, m_pTree, m_strLabelField, m_strTableName, 1);
    m_pAdd->setText(m_strAddText);
    m_pModify->setText(m_strModifyText);
    m_pDelete->setText(m_strDeleteText);
    m_pTree->setFocus();
}

void CBasicdatasetDlg::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = event->modifiers() == Qt::NoModifier ||
                       (event->modifiers() == Qt::KeypadModifier && event->key() == Qt::Key_Enter);
    if (enter && plain) {
        // Enter on a focused button presses it; anywhere else it is the dialog's OK.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
        } else {
            accept();
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

void CBasicdatasetDlg::accept()
{
    if (m_pPreviewLimit->length() > kPreviewLimit) {
        Notifier::information(this, kTooLongMessage);
        m_pPreview->setFocus();
        return;
    }
    // What the preview box holds is never stored.
    QDialog::accept();
}

void CBasicdatasetDlg::SetPreviewText(const QString& text)
{
    m_pPreviewLimit->setProgramText(EditText::toBox(text));
}

void CBasicdatasetDlg::OnSelChangedTree(QTreeWidgetItem* current)
{
    // Clearing the tree reports a change to no item; the refresh sets the state itself.
    if (!current) {
        return;
    }
    current->setSelected(true);
    m_nSelectedId = current->data(0, Qt::UserRole).toInt();
    const QString value =
        m_dbVisit.GetRecordValue(m_strTableName, m_strContentField, m_nSelectedId);
    SetPreviewText(kPreviewLead + value);
}

void CBasicdatasetDlg::RefreshTree()
{
    {
        const WaitCursor wait;
        m_pTree->clear();
        FillRecordTree(m_dbVisit, m_pTree, m_strLabelField, m_strTableName, 1);
    }
    m_nSelectedId = -1;
}

void CBasicdatasetDlg::OnAdd()
{
    CAddXxxDlg editor(this);
    editor.m_strTitle = QStringLiteral("添加") + m_strItemName;
    editor.m_strPrompt = QStringLiteral("提示：在以下的空格中填写新增的") + m_strItemName;
    if (editor.exec() != QDialog::Accepted) {
        return;
    }
    {
        const WaitCursor wait;
        m_dbVisit.AddRecord(m_strTableName, m_strLabelField, editor.m_strName,
                            LibraryTables::kContentColumn, editor.m_strText);
        RefreshTree();
        SetPreviewText(QString());
    }
    Notifier::information(this, QStringLiteral("添加成功！"));
}

void CBasicdatasetDlg::OnModify()
{
    if (m_nSelectedId == -1) {
        Notifier::information(this, QStringLiteral("请先在库中选中一个需要修改的项目！"));
        return;
    }
    CModXxxDlg editor(this);
    editor.m_strTitle = QStringLiteral("修改") + m_strItemName;
    editor.m_strPrompt = QStringLiteral("提示：在以下的空格中修改") + m_strItemName;
    editor.m_strName = m_dbVisit.GetRecordValue(m_strTableName, m_strLabelField, m_nSelectedId);
    editor.m_strText =
        m_dbVisit.GetRecordValue(m_strTableName, LibraryTables::kContentColumn, m_nSelectedId);
    if (editor.exec() != QDialog::Accepted) {
        return;
    }
    {
        const WaitCursor wait;
        m_dbVisit.SetRecordValue(m_strTableName, m_strLabelField, editor.m_strName, m_nSelectedId);
        m_dbVisit.SetRecordValue(m_strTableName, LibraryTables::kContentColumn, editor.m_strText,
                                 m_nSelectedId);
        RefreshTree();
        SetPreviewText(QString());
    }
    Notifier::information(this, QStringLiteral("修改成功！"));
}

void CBasicdatasetDlg::OnDelete()
{
    if (m_nSelectedId == -1) {
        Notifier::information(this, QStringLiteral("请先在库中选中一个需要删除的项目！"));
        return;
    }
    // The marker is read now, not when the entry was selected.
    if (m_dbVisit.GetRecordValue(m_strTableName, LibraryTables::kDefaultColumn, m_nSelectedId) ==
        LibraryTables::kDefaultMarker) {
        Notifier::information(this,
                              QStringLiteral("当前待删除的项目是默认项，默认项是无法删除的！"));
        return;
    }
    const QString name = m_dbVisit.GetRecordValue(m_strTableName, m_strLabelField, m_nSelectedId);
    if (!Notifier::askYesNo(this, QStringLiteral("确实要将“") + name +
                                      QStringLiteral("”删除吗？ （注意：删除后将无法恢复）"))) {
        return;
    }
    {
        const WaitCursor wait;
        m_dbVisit.DeleteRecord(m_strTableName, m_nSelectedId);
        RefreshTree();
        SetPreviewText(QString());
    }
    Notifier::information(this, QStringLiteral("删除成功！"));
}
