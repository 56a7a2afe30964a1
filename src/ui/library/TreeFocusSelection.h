#pragma once

#include <QObject>

class QTreeWidget;

// A Windows tree view that receives the focus while none of its items is selected selects its
// first item, and tells its owner as for any selection. Qt's tree does so only the first time
// it is focused; this filter makes the tree do it every time.
class TreeFocusSelection : public QObject
{
    Q_OBJECT
public:
    explicit TreeFocusSelection(QTreeWidget* tree);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTreeWidget* m_pTree;
};
