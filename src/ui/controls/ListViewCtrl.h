#pragma once

#include <QTableWidget>

// The report-style list view of the dialog templates. Besides what QTableWidget offers it
// reports every left click in its viewport, on a row or on empty space, once the view has
// updated its selection: the list view's click notification. Keyboard moves of the
// selection report nothing.
class ListViewCtrl : public QTableWidget
{
    Q_OBJECT
public:
    explicit ListViewCtrl(QWidget* parent = nullptr);

signals:
    void listClicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
