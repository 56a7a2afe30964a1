#pragma once

#include <QString>

class QWidget;

// Every message box of the program goes through here, so that tests can read each notice and
// answer each question instead of blocking on a modal box.
class Notifier
{
public:
    enum class Icon
    {
        Information,
        Warning,
        None
    };
    enum class Buttons
    {
        Ok,
        YesNo
    };
    enum class Answer
    {
        Ok,
        Yes,
        No
    };

    struct Notice
    {
        QString caption;
        QString text;
        Icon icon = Icon::Information;
        Buttons buttons = Buttons::Ok;
    };

    // What actually shows a notice; the default one uses QMessageBox.
    class Backend
    {
    public:
        virtual ~Backend() = default;
        virtual Answer show(QWidget* parent, const Notice& notice) = 0;
    };

    // A notice with the caption "提示", the information icon and an OK button.
    static void information(QWidget* parent, const QString& text);
    // The application's message box: the application's display name as caption, warning icon.
    static void applicationWarning(QWidget* parent, const QString& text);
    // A Yes/No question without icon, caption "提示". True when the answer is Yes.
    static bool askYesNo(QWidget* parent, const QString& text);

    static Answer show(QWidget* parent, const Notice& notice);

    // Replaces the backend (tests); nullptr restores the message-box backend.
    static void setBackend(Backend* backend);

    static const QString kCaption; // "提示"
};
