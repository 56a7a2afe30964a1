#include "ui/common/CtrlText.h"
#include "ui/common/WidgetText.h"

#include <QWidget>

namespace {
// Controls carry their numeric dialog id as their object name.
QWidget* findControl(QWidget* window, int id)
{
    return window ? window->findChild<QWidget*>(QString::number(id)) : nullptr;
}
} // namespace

void SetCtrlText(QWidget* dialog, int id, const QString& text)
{
    SetWidgetText(findControl(dialog, id), text);
}

QString GetCtrlText(QWidget* window, int id)
{
    return WidgetText(findControl(window, id));
}
