// The template list and the preview of the template shown.
#include "ui/main/CkavriDlg.h"

#include "compose/CertificateComposer.h"
#include "store/CDbVisit.h"
#include "store/LibraryTables.h"
#include "ui/controls/LineWidth.h"
#include "ui/controls/ListViewCtrl.h"
#include "ui/controls/RecordControls.h"
#include "ui/main/MainDialogIds.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPlainTextEdit>

using namespace MainIds;

void CkavriDlg::SetUpTemplateList()
{
    m_listTemplates->setShowGrid(true);
    m_listTemplates->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listTemplates->setColumnCount(1);
    m_listTemplates->setHorizontalHeaderLabels({QStringLiteral("离职证明模板")});
    m_listTemplates->horizontalHeaderItem(0)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The client width is the list without its frame; the list has no rows yet, so no
    // scroll bar takes from it.
    const int clientWidth = m_listTemplates->contentsRect().width();
    m_listTemplates->setColumnWidth(0, clientWidth * 90 / 100);
    connect(m_listTemplates, &ListViewCtrl::listClicked, this, &CkavriDlg::OnTemplateListClick,
            Qt::UniqueConnection);
    using namespace LibraryTables;
    FillRecordList(m_dbVisit, kTemplate, m_listTemplates, kNameColumn, 0, 0);
    SelectRecordRow(m_dbVisit, m_listTemplates, kTemplate, kDefaultColumn, kDefaultMarker,
                    kNameColumn);
}

void CkavriDlg::OnTemplateListClick()
{
    ShowSelectedTemplate();
}

void CkavriDlg::ShowSelectedTemplate()
{
    auto* nameBox = control<QLineEdit>(kTemplateName);
    auto* preview = control<QPlainTextEdit>(kPreview);
    const QItemSelectionModel* selection = m_listTemplates->selectionModel();
    int width = -1;
    bool shown = false;
    for (int row = 0; row < m_listTemplates->rowCount(); ++row) {
        if (row == m_nShownTemplate || !selection->isRowSelected(row, QModelIndex())) {
            continue;
        }
        if (width < 0) {
            width = MeasureLineWidth(preview);
        }
        const QTableWidgetItem* item = m_listTemplates->item(row, 0);
        const QString name = item ? item->text() : QString();
        const QString text =
            m_dbVisit.FindRecordValue(LibraryTables::kTemplate, LibraryTables::kNameColumn, name,
                                      LibraryTables::kContentColumn);
        m_strTemplateText = text;
        nameBox->setText(name);
        nameBox->setCursorPosition(0);
        preview->setPlainText(Compose::RenderTemplatePreview(text, width));
        m_nShownTemplate = row;
        shown = true;
    }
    if (shown) {
        LayoutFormFields(m_strTemplateText);
        ShowTemplateCompleteness(m_strTemplateText);
    }
}
