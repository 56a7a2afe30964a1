#include "ui/library/DialogReturnKey.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>

DialogReturnKey::DialogReturnKey(QPlainTextEdit* edit) : QObject(edit), m_pEdit(edit)
{
    edit->installEventFilter(this);
}

bool DialogReturnKey::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_pEdit || event->type() != QEvent::KeyPress) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) {
        return false;
    }
    if (key->modifiers() & Qt::ControlModifier) {
        if (!m_pEdit->isReadOnly()) {
            m_pEdit->textCursor().insertBlock();
            m_pEdit->ensureCursorVisible();
        }
        return true;
    }
    // The dialog sees the key without modifiers other than the keypad's, as it would have
    // from a box that does not want Enter.
    QKeyEvent forwarded(QEvent::KeyPress, key->key(), key->modifiers() & Qt::KeypadModifier,
                        key->text(), key->isAutoRepeat(), key->count());
    QCoreApplication::sendEvent(m_pEdit->window(), &forwarded);
    return true;
}
