#pragma once

#include <QString>
#include <QtCore/qnamespace.h>

class CDbVisit;
class QComboBox;
class QTableWidget;
class QTreeWidget;
class QWidget;

// The record reads of CDbVisit put into the controls that show them, under the reads' own names
// and with their arguments in the same order (the data-access object first). Each runs the one
// statement of its read, then fills the control.

// Adds the non-empty texts to the combo box (a SortedComboBox places each in order). The combo
// is not cleared first.
void FillRecordCombo(CDbVisit& db, QComboBox* combo, const QString& table, const QString& column);
// Inserts one row per record at firstRow (-1: after the last row) when subItem is 0; otherwise
// sets that column's text of the existing rows from firstRow on.
void FillRecordList(CDbVisit& db, const QString& table, QTableWidget* list, const QString& column,
                    int subItem, int firstRow);
// Appends one top-level item per record, with the itemid as its data (Qt::UserRole) and the
// image index beside it (kTreeImageRole). The tree is not cleared first.
void FillRecordTree(CDbVisit& db, QTreeWidget* tree, const QString& column, const QString& table,
                    int image);
// Sets the window's text to the value found, even when that is empty.
void ShowRecordValue(CDbVisit& db, QWidget* window, const QString& table, const QString& keyColumn,
                     const QString& keyValue, const QString& column);
// Selects and focuses the first row whose column-0 text equals the value found; other rows keep
// their selection and nothing scrolls.
void SelectRecordRow(CDbVisit& db, QTableWidget* list, const QString& table,
                     const QString& keyColumn, const QString& keyValue, const QString& column);

// Where a tree item keeps the image index it was given.
inline constexpr int kTreeImageRole = Qt::UserRole + 1;
