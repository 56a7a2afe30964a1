#include "ui/controls/CButtonXp.h"

#include "resources/Bitmaps.h"

#include <QEnterEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace {
// The focus rectangle sits this many pixels inside the button's edges.
constexpr int kFocusInset = 2;
} // namespace

CButtonXp::CButtonXp(QWidget* parent) : QAbstractButton(parent)
{
    // Moves must reach the button without a pressed mouse button, so that a pointer already
    // over the button when it appears still switches it to hover on its first move.
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

bool CButtonXp::LoadBitmaps(quint16 normal, quint16 pressed, quint16 hover, quint16 disabled)
{
    m_bmpNormal = QPixmap();
    m_bmpPressed = QPixmap();
    m_bmpHover = QPixmap();
    m_bmpDisabled = QPixmap();

    const struct
    {
        quint16 id;
        QPixmap* target;
    } order[] = {{normal, &m_bmpNormal},
                 {pressed, &m_bmpPressed},
                 {hover, &m_bmpHover},
                 {disabled, &m_bmpDisabled}};

    bool allLoaded = true;
    for (const auto& entry : order) {
        *entry.target = LoadBitmapResource(entry.id);
        if (entry.target->isNull()) {
            allLoaded = false;
            break;
        }
    }
    m_sizeBitmap = m_bmpNormal.isNull() ? QSize(0, 0) : m_bmpNormal.size();
    updateGeometry();
    update();
    return allLoaded;
}

QSize CButtonXp::sizeHint() const
{
    return m_sizeBitmap;
}

const QPixmap& CButtonXp::ChooseBitmap() const
{
    const QPixmap* chosen = &m_bmpNormal;
    if (!isEnabled()) {
        chosen = &m_bmpDisabled;
    } else if (isDown()) {
        chosen = &m_bmpPressed;
    } else if (m_bHover != 0) {
        chosen = &m_bmpHover;
    }
    // A state whose bitmap failed to load shows the resting look rather than a hole.
    return chosen->isNull() ? m_bmpNormal : *chosen;
}

void CButtonXp::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPixmap& bitmap = ChooseBitmap();
    if (!bitmap.isNull()) {
        // One block of the bitmap's size from its origin; a larger button keeps the rest as is.
        painter.drawPixmap(QPoint(0, 0), bitmap, QRect(QPoint(0, 0), m_sizeBitmap));
    }

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(kFocusInset, kFocusInset, -kFocusInset, -kFocusInset);
        // Some styles draw focus only after keyboard navigation; this button shows it after a
        // click too, as the classic owner-drawn button does.
        option.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
        option.backgroundColor = palette().color(QPalette::Button);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void CButtonXp::PointerInside()
{
    if (m_bHover != 0) {
        return;
    }
    // Once per entry; further moves inside change nothing.
    m_bHover = 1;
    update();
}

void CButtonXp::enterEvent(QEnterEvent* event)
{
    PointerInside();
    QAbstractButton::enterEvent(event);
}

void CButtonXp::mouseMoveEvent(QMouseEvent* event)
{
    PointerInside();
    // The base class keeps its own press tracking (dragging off a pressed button).
    QAbstractButton::mouseMoveEvent(event);
}

void CButtonXp::leaveEvent(QEvent* event)
{
    m_bHover = 0;
    update();
    event->accept();
}
