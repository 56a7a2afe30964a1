// The window's own scroll bar: it moves the content widget, which holds every control, up and
// down under a window that covers the screen.
#include "ui/main/CkavriDlg.h"

#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>

namespace {

ScrollRequest requestFor(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        return ScrollRequest::LineUp;
    case QAbstractSlider::SliderSingleStepAdd:
        return ScrollRequest::LineDown;
    case QAbstractSlider::SliderPageStepSub:
        return ScrollRequest::PageUp;
    case QAbstractSlider::SliderPageStepAdd:
        return ScrollRequest::PageDown;
    case QAbstractSlider::SliderMove:
        return ScrollRequest::ThumbTrack;
    case QAbstractSlider::SliderToMinimum:
        return ScrollRequest::Top;
    case QAbstractSlider::SliderToMaximum:
        return ScrollRequest::Bottom;
    default:
        return ScrollRequest::EndScroll;
    }
}

} // namespace

void CkavriDlg::SetUpScrollBar()
{
    m_scrollBar->installEventFilter(this);
    connect(m_scrollBar, &QAbstractSlider::actionTriggered, this, &CkavriDlg::OnScrollBarAction);
    connect(m_scrollBar, &QAbstractSlider::valueChanged, this, &CkavriDlg::ScrollTo);
    ApplyScrollBarLayout();
}

void CkavriDlg::ApplyScrollBarLayout()
{
    // The lowest shown control; the scroll bar itself belongs to the window, not the content.
    const QRect controls = m_pContent->childrenRect();
    const ScrollBarLayout layout =
        ScrollBarLayoutFor(width(), height(), controls.isEmpty() ? 0 : controls.bottom() + 1);
    m_scrollBar->setGeometry(layout.rect);
    m_scrollRange = layout.range;
    m_rcScrollBar = m_scrollBar->geometry();
    const int largest = qMax(m_scrollRange.min, m_scrollRange.largest());
    {
        // A Qt scroll bar's maximum is the largest position it can take, a Windows one's is
        // the end of the range; the page is the same in both.
        const QSignalBlocker blocker(m_scrollBar);
        m_scrollBar->setRange(m_scrollRange.min, largest);
        m_scrollBar->setPageStep(m_scrollRange.page);
        m_scrollBar->setSingleStep(kScrollLineStep);
    }
    // At start-up the position is 0; when the window manager changes the window's height
    // later, the position stays where it was as far as the new range allows.
    ScrollTo(qBound(m_scrollRange.min, m_nScrollPos, largest));
    UpdateContentSize();
}

void CkavriDlg::OnScrollBarAction(int action)
{
    // The bar has already moved its slider by its own rules; put it where this window's
    // rules say. valueChanged then scrolls the content.
    const int next = NextScrollPosition(requestFor(action), m_nScrollPos, m_scrollRange,
                                        m_scrollBar->sliderPosition());
    m_scrollBar->setSliderPosition(next);
}

void CkavriDlg::OnVScroll(ScrollRequest request, int thumb)
{
    ScrollTo(NextScrollPosition(request, m_nScrollPos, m_scrollRange, thumb));
}

void CkavriDlg::OnMouseWheel(int delta)
{
    if (delta == -kWheelNotch) {
        OnVScroll(ScrollRequest::PageDown);
    } else if (delta == kWheelNotch) {
        OnVScroll(ScrollRequest::PageUp);
    }
    // Any other turn of the wheel does nothing.
}

void CkavriDlg::ScrollTo(int position)
{
    const int delta = m_nScrollPos - position;
    // The bar belongs to the window, not to the content: it stays where it is.
    m_pContent->move(m_pContent->x(), m_pContent->y() + delta);
    m_nScrollPos = position;
    if (m_scrollBar->value() != position) {
        const QSignalBlocker blocker(m_scrollBar);
        m_scrollBar->setValue(position);
    }
}

void CkavriDlg::UpdateContentSize()
{
    // The content reaches at least to the bottom of the client area at the largest scroll
    // position, so that the window's background never shows below it.
    const int reach = height() + qMax(0, m_scrollRange.largest());
    m_pContent->resize(qMax(m_templateSize.width(), width()), qMax(m_templateSize.height(), reach));
}

void CkavriDlg::wheelEvent(QWheelEvent* event)
{
    OnMouseWheel(event->angleDelta().y());
    event->accept();
}

bool CkavriDlg::eventFilter(QObject* watched, QEvent* event)
{
    // The wheel over the scroll bar scrolls the window by its own rule, not the bar's.
    if (watched == m_scrollBar && event->type() == QEvent::Wheel) {
        OnMouseWheel(static_cast<QWheelEvent*>(event)->angleDelta().y());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
