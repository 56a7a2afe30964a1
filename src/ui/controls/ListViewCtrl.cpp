#include "ui/controls/ListViewCtrl.h"

#include <QMouseEvent>

ListViewCtrl::ListViewCtrl(QWidget* parent) : QTableWidget(parent)
{
    // Tab leaves the list for the next control; the arrow keys move between rows.
    setTabKeyNavigation(false);
}

void ListViewCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    const bool left = event->button() == Qt::LeftButton;
    QTableWidget::mouseReleaseEvent(event);
    if (left) {
        emit listClicked();
    }
}
