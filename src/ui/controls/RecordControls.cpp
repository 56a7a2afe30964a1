#include "ui/controls/RecordControls.h"

#include "store/CDbVisit.h"
#include "ui/common/WaitCursor.h"
#include "ui/common/WidgetText.h"
#include "ui/controls/SortedComboBox.h"

#include <QComboBox>
#include <QTableWidget>
#include <QTreeWidget>

void FillRecordCombo(CDbVisit& db, QComboBox* combo, const QString& table, const QString& column)
{
    const QStringList names = db.FillRecordCombo(table, column);
    if (!combo) {
        return;
    }
    if (auto* sorted = qobject_cast<SortedComboBox*>(combo)) {
        sorted->addSortedItems(names);
    } else {
        combo->addItems(names);
    }
}

void FillRecordList(CDbVisit& db, const QString& table, QTableWidget* list, const QString& column,
                    int subItem, int firstRow)
{
    const WaitCursor wait;
    const QStringList texts = db.FillRecordList(table, column);
    if (!list || texts.isEmpty()) {
        return;
    }
    int row = firstRow == -1 ? list->rowCount() : firstRow;
    const bool sorting = list->isSortingEnabled();
    list->setSortingEnabled(false);
    if (subItem == 0) {
        // A row number past the end appends, as inserting into a list view does.
        row = std::clamp(row, 0, list->rowCount());
        // One insertion of all rows instead of a shift of the rows below per new row.
        list->model()->insertRows(row, int(texts.size()));
        for (const QString& text : texts) {
            list->setItem(row++, 0, new QTableWidgetItem(text));
        }
    } else if (subItem > 0 && subItem < list->columnCount()) {
        // Setting a sub-item's text only touches rows that exist.
        for (const QString& text : texts) {
            if (row >= 0 && row < list->rowCount()) {
                if (QTableWidgetItem* item = list->item(row, subItem)) {
                    item->setText(text);
                } else {
                    list->setItem(row, subItem, new QTableWidgetItem(text));
                }
            }
            ++row;
        }
    }
    list->setSortingEnabled(sorting);
}

void FillRecordTree(CDbVisit& db, QTreeWidget* tree, const QString& column, const QString& table,
                    int image)
{
    const QList<TreeRecord> rows = db.FillRecordTree(column, table);
    if (!tree) {
        return;
    }
    QList<QTreeWidgetItem*> items;
    items.reserve(rows.size());
    for (const TreeRecord& row : rows) {
        auto* item = new QTreeWidgetItem(QStringList{row.text});
        item->setData(0, Qt::UserRole, row.itemId);
        item->setData(0, kTreeImageRole, image);
        items.append(item);
    }
    tree->addTopLevelItems(items);
}

void ShowRecordValue(CDbVisit& db, QWidget* window, const QString& table, const QString& keyColumn,
                     const QString& keyValue, const QString& column)
{
    SetWidgetText(window, db.ShowRecordValue(table, keyColumn, keyValue, column));
}

void SelectRecordRow(CDbVisit& db, QTableWidget* list, const QString& table,
                     const QString& keyColumn, const QString& keyValue, const QString& column)
{
    const QString text = db.SelectRecordRow(table, keyColumn, keyValue, column);
    if (!list) {
        return;
    }
    for (int row = 0; row < list->rowCount(); ++row) {
        const QTableWidgetItem* item = list->item(row, 0);
        const QString rowText = item ? item->text() : QString();
        if (rowText == text) {
            QItemSelectionModel* selection = list->selectionModel();
            const QModelIndex index = list->model()->index(row, 0);
            selection->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
            selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
            return;
        }
    }
}
