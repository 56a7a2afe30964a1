#include "ui/controls/ListViewCtrl.h"

#include <QMouseEvent>

ListViewCtrl::ListViewCtrl(QWidget* parent) : QTableWidget(parent) {}

void ListViewCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    const bool left = event->button() == Qt::LeftButton;
    QTableWidget::mouseReleaseEvent(event);
    if (left) {
        emit listClicked();
    }
}
