#include "ui/library/TreeFocusSelection.h"

#include <QEvent>
#include <QTreeWidget>

TreeFocusSelection::TreeFocusSelection(QTreeWidget* tree) : QObject(tree), m_pTree(tree)
{
    tree->installEventFilter(this);
}

bool TreeFocusSelection::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pTree && event->type() == QEvent::FocusIn && !m_pTree->currentItem() &&
        m_pTree->topLevelItemCount() > 0) {
        m_pTree->setCurrentItem(m_pTree->topLevelItem(0));
    }
    return false;
}
