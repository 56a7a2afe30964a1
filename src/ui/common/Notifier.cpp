#include "ui/common/Notifier.h"
#include "ui/common/Seam.h"

#include <QApplication>
#include <QMessageBox>

const QString Notifier::kCaption = QStringLiteral("提示");

namespace {

class MessageBoxBackend : public Notifier::Backend
{
public:
    Notifier::Answer show(QWidget* parent, const Notifier::Notice& notice) override
    {
        QMessageBox box(parent);
        box.setWindowTitle(notice.caption);
        box.setText(notice.text);
        switch (notice.icon) {
        case Notifier::Icon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case Notifier::Icon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case Notifier::Icon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        }
        if (notice.buttons == Notifier::Buttons::YesNo) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
            return box.exec() == QMessageBox::Yes ? Notifier::Answer::Yes : Notifier::Answer::No;
        }
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return Notifier::Answer::Ok;
    }
};

MessageBoxBackend g_messageBoxBackend;
constinit Seam<Notifier::Backend> g_notifierBackend(g_messageBoxBackend);

} // namespace

void Notifier::information(QWidget* parent, const QString& text)
{
    show(parent, {kCaption, text, Icon::Information, Buttons::Ok});
}

void Notifier::applicationWarning(QWidget* parent, const QString& text)
{
    show(parent, {QApplication::applicationDisplayName(), text, Icon::Warning, Buttons::Ok});
}

bool Notifier::askYesNo(QWidget* parent, const QString& text)
{
    return show(parent, {kCaption, text, Icon::None, Buttons::YesNo}) == Answer::Yes;
}

Notifier::Answer Notifier::show(QWidget* parent, const Notice& notice)
{
    return g_notifierBackend->show(parent, notice);
}

void Notifier::setBackend(Backend* backend)
{
    g_notifierBackend.replace(backend);
}
