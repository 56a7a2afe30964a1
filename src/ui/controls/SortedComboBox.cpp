#include "ui/controls/SortedComboBox.h"

#include <QCollatorSortKey>
#include <QSignalBlocker>
#include <QStringListModel>
#include <algorithm>
#include <numeric>
#include <vector>

SortedComboBox::SortedComboBox(QWidget* parent)
    : QComboBox(parent), m_collator(QLocale(QLocale::Chinese, QLocale::China)),
      m_model(new QStringListModel(this))
{
    // A plain list of strings: a hundred thousand names cost a hundred thousand strings, not
    // as many item objects, and a whole new list goes in as one reset.
    setModel(m_model);
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
}

bool SortedComboBox::lessThan(const QString& a, const QString& b) const
{
    return m_collator.compare(a, b) < 0;
}

void SortedComboBox::addSortedItem(const QString& text)
{
    int low = 0;
    int high = count();
    while (low < high) {
        const int mid = (low + high) / 2;
        if (lessThan(text, itemText(mid))) {
            high = mid;
        } else {
            low = mid + 1;
        }
    }
    insertItem(low, text);
}

void SortedComboBox::addSortedItems(const QStringList& texts)
{
    if (texts.isEmpty()) {
        return;
    }
    QStringList all = m_model->stringList();
    all.reserve(all.size() + texts.size());
    all.append(texts);

    // Comparing precomputed keys is a byte comparison; collating each pair anew is not.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(all.size());
    for (const QString& text : all) {
        keys.push_back(m_collator.sortKey(text));
    }
    std::vector<qsizetype> order(all.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&keys](qsizetype a, qsizetype b) { return keys[a].compare(keys[b]) < 0; });
    QStringList sorted;
    sorted.reserve(all.size());
    for (qsizetype index : order) {
        sorted.append(all.at(index));
    }

    const QString editText = currentText();
    {
        // Rebuilding the list is one change to the user, not one per string.
        const QSignalBlocker blocker(this);
        m_model->setStringList(sorted);
        setCurrentIndex(-1);
    }
    setEditText(editText);
}
