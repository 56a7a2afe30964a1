#pragma once

#include <QAbstractButton>
#include <QPixmap>

// A push button whose whole look is one of four bitmaps: normal, pressed, hover and disabled.
// The caption is part of the bitmaps; the button draws no text, border or background of its
// own. It tracks whether the pointer is over it and repaints when the pointer enters or leaves.
// The owner sizes it: after LoadBitmaps, resize(bitmapSize()). A state whose bitmap failed to
// load shows the normal bitmap; without a normal bitmap nothing is painted.
class CButtonXp : public QAbstractButton
{
    Q_OBJECT

public:
    explicit CButtonXp(QWidget* parent = nullptr);

    // Loads the four bitmaps in this order, stopping at the first that cannot be loaded. The
    // normal bitmap's size is read in any case. True only when all four were loaded.
    bool LoadBitmaps(quint16 normal, quint16 pressed, quint16 hover, quint16 disabled);

    // Size of the normal bitmap as read by the last LoadBitmaps; empty before.
    QSize bitmapSize() const { return m_sizeBitmap; }

    QSize sizeHint() const override;

    // 1 while the pointer is over the button, else 0.
    int m_bHover = 0;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void PointerInside();
    const QPixmap& ChooseBitmap() const;

    QPixmap m_bmpNormal;
    QPixmap m_bmpPressed;
    QPixmap m_bmpHover;
    QPixmap m_bmpDisabled;
    QSize m_sizeBitmap;
};
