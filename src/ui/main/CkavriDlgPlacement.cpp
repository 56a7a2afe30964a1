// The window covers the available screen area (the screen less the panels the desktop
// reserves). When it is moved or resized it goes back there, once the event loop is idle:
// never from inside a paint, and never twice for the same place the window manager insists
// on, so that the window never fights the window manager.
#include "ui/main/CkavriDlg.h"

#include <QScreen>
#include <QTimer>
#include <QWindow>

QRect CkavriDlg::PlacementTarget() const
{
    const QScreen* s = screen();
    if (!s) {
        return geometry();
    }
    const QRect available = s->availableGeometry();
    // The frame, not the client area, covers the available area.
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    return available.adjusted(client.left() - frame.left(), client.top() - frame.top(),
                              client.right() - frame.right(), client.bottom() - frame.bottom());
}

void CkavriDlg::ApplyPlacement()
{
    setGeometry(PlacementTarget());
    showMaximized();
}

void CkavriDlg::SchedulePlacementCheck()
{
    if (!m_bInitialised || m_bPlacementCheckPending || !isVisible()) {
        return;
    }
    m_bPlacementCheckPending = true;
    QTimer::singleShot(0, this, &CkavriDlg::CheckPlacement);
}

void CkavriDlg::CheckPlacement()
{
    m_bPlacementCheckPending = false;
    if (!isVisible() || isMinimized()) {
        return;
    }
    const QRect target = PlacementTarget();
    const QRect now = geometry();
    if (now == target) {
        m_placementsUndone.clear();
        return;
    }
    if (m_placementsUndone.contains(now)) {
        return; // the window manager keeps the window here; let it
    }
    m_placementsUndone.append(now);
    setGeometry(target);
}

void CkavriDlg::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    SchedulePlacementCheck();
}

void CkavriDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (m_bInitialised && m_scrollRange.page > 0) {
        ApplyScrollBarLayout();
    }
    SchedulePlacementCheck();
}
