#include "ui/controls/RightAlignedCalendar.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QEvent>
#include <QScreen>

#include <algorithm>

namespace {

// Watches the calendar's popup window; Qt places the popup just before it shows it, so the
// popup is moved when the show arrives.
class RightAlignedPopup : public QObject
{
public:
    explicit RightAlignedPopup(QDateEdit* picker) : QObject(picker), m_picker(picker) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            align(static_cast<QWidget*>(watched));
        }
        return false;
    }

private:
    void align(QWidget* popup) const
    {
        const int pickerRight = m_picker->mapToGlobal(QPoint(m_picker->width(), 0)).x();
        int x = pickerRight - popup->width();
        if (const QScreen* screen = m_picker->screen()) {
            const QRect area = screen->availableGeometry();
            x = std::max(area.left(), std::min(x, area.x() + area.width() - popup->width()));
        }
        popup->move(x, popup->y());
    }

    QDateEdit* m_picker;
};

} // namespace

void AlignCalendarPopupRight(QDateEdit* picker)
{
    QWidget* popup = picker->calendarWidget()->window();
    popup->installEventFilter(new RightAlignedPopup(picker));
}
