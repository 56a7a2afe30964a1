#pragma once

#include <QCollator>
#include <QComboBox>
#include <QStringList>

class QStringListModel;

// An editable combo box whose list stays in Chinese (zh_CN) collation order, like a Windows
// combo box with a sorted list. Typed text is never added to the list. Many strings go in
// through addSortedItems in one go: one sort over precomputed collation keys and one model
// reset of the list model, instead of a search and a shift per string.
class SortedComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit SortedComboBox(QWidget* parent = nullptr);

    // Inserts one string at its place in the order (after equal strings).
    void addSortedItem(const QString& text);
    // Adds all strings, keeping the whole list in order. The edit text is left as it was.
    void addSortedItems(const QStringList& texts);

    bool lessThan(const QString& a, const QString& b) const;

private:
    QCollator m_collator;
    QStringListModel* m_model;
};
