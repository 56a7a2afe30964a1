#pragma once

#include <QObject>

class QDialog;
class QSocketNotifier;

// Turns SIGTERM and SIGHUP (the desktop session ending, a system shutting down, `kill`) into a
// signal on the event loop, so that the program can end the way it does when its window is
// closed instead of being cut off. The handler only writes to a pipe; everything else happens
// on the user-interface thread. One watcher at a time; the default actions come back when it is
// destroyed.
class SessionEndWatcher : public QObject
{
    Q_OBJECT
public:
    explicit SessionEndWatcher(QObject* parent = nullptr);
    ~SessionEndWatcher() override;

    // False when the pipe or the handlers could not be set up (then the signals keep their
    // default action).
    bool isWatching() const { return m_notifier != nullptr; }

signals:
    // Once per signal received: signalNumber is SIGTERM or SIGHUP.
    void sessionEnding(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};

// Ends the program as the user would by closing its windows: dialogs and message boxes open
// above the main window are cancelled (nothing they hold is written), other windows such as
// the print preview are closed, and then the main window gets its close request, which closes
// the library.
void CloseForSessionEnd(QDialog& mainDialog);
