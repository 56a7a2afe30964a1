#include "app/SessionEndWatcher.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The pipe from the handler (write end) to the event loop (read end).
int g_pipe[2] = {-1, -1};

constexpr int kSignals[] = {SIGTERM, SIGHUP};

// Async-signal-safe: one write of one byte, errno kept.
void onSignal(int signalNumber)
{
    const int saved = errno;
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

void setHandler(int signalNumber, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

} // namespace

SessionEndWatcher::SessionEndWatcher(QObject* parent) : QObject(parent)
{
    if (g_pipe[0] != -1 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SessionEndWatcher::readSignal);
    for (const int signalNumber : kSignals) {
        setHandler(signalNumber, &onSignal);
    }
}

SessionEndWatcher::~SessionEndWatcher()
{
    if (!m_notifier) {
        return;
    }
    for (const int signalNumber : kSignals) {
        setHandler(signalNumber, SIG_DFL);
    }
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void SessionEndWatcher::readSignal()
{
    char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1) {
        emit sessionEnding(int(byte));
    }
}

void CloseForSessionEnd(QDialog& mainDialog)
{
    // Innermost first; each cancelled dialog ends its own loop once this handler returns.
    for (int guard = 0; guard < 32; ++guard) {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (!modal || modal == &mainDialog) {
            break;
        }
        if (auto* dialog = qobject_cast<QDialog*>(modal.data())) {
            dialog->reject();
        } else {
            modal->close();
        }
        if (modal && modal->isVisible()) {
            break;
        }
    }
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window != &mainDialog && window->isVisible()) {
            window->close();
        }
    }
    mainDialog.reject();
}
