#pragma once

#include "ui/common/Notifier.h"

#include <QList>

// Installs itself as the notifier backend for its lifetime: records every notice instead of
// showing it, and answers questions with the answers queued in advance (Yes when none is).
class RecordingNotifier : public Notifier::Backend
{
public:
    RecordingNotifier();
    ~RecordingNotifier() override;

    Notifier::Answer show(QWidget* parent, const Notifier::Notice& notice) override;

    void queueAnswer(Notifier::Answer answer) { m_answers.append(answer); }
    const QList<Notifier::Notice>& notices() const { return m_notices; }
    QStringList texts() const;
    void clear() { m_notices.clear(); }

private:
    QList<Notifier::Notice> m_notices;
    QList<Notifier::Answer> m_answers;
};
