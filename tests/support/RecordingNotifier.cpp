#include "RecordingNotifier.h"

#include <QStringList>

RecordingNotifier::RecordingNotifier() { Notifier::setBackend(this); }

RecordingNotifier::~RecordingNotifier() { Notifier::setBackend(nullptr); }

Notifier::Answer RecordingNotifier::show(QWidget*, const Notifier::Notice& notice)
{
    m_notices.append(notice);
    if (notice.buttons == Notifier::Buttons::Ok) {
        return Notifier::Answer::Ok;
    }
    return m_answers.isEmpty() ? Notifier::Answer::Yes : m_answers.takeFirst();
}

QStringList RecordingNotifier::texts() const
{
    QStringList result;
    for (const auto& n : m_notices) {
        result.append(n.text);
    }
    return result;
}
