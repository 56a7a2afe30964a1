#include "ui/common/MessageStoreFeedback.h"

#include "ui/common/Notifier.h"

#include <QCursor>
#include <QGuiApplication>

MessageStoreFeedback::MessageStoreFeedback() : m_previous(StoreFeedback::backend())
{
    StoreFeedback::setBackend(this);
}

MessageStoreFeedback::~MessageStoreFeedback()
{
    StoreFeedback::setBackend(m_previous);
}

void MessageStoreFeedback::connectFailed(const QString& text)
{
    Notifier::information(nullptr, text);
}

void MessageStoreFeedback::statementFailed(const QString& text)
{
    Notifier::applicationWarning(nullptr, text);
}

void MessageStoreFeedback::busy(bool on)
{
    if (on) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    } else {
        QGuiApplication::restoreOverrideCursor();
    }
}
