#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// Acts on a modal dialog from inside the event loop of its exec(): the action runs as soon as
// a dialog of type T is the active modal widget. The action must end the dialog's run. When
// no such dialog appears in time, the test fails and whatever modal dialog is open is closed,
// so that a broken case fails instead of hanging.
template <typename T> void whenModal(std::function<void(T*)> action, int timeoutMs = 5000)
{
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, action, timeoutMs] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
            dialog && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action(dialog);
            return;
        }
        if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "the expected modal dialog did not open";
            if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                open->reject();
            }
        }
    });
    timer->start();
}
