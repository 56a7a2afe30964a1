#pragma once

#include <QDialog>
#include <QString>

// Builds the controls of the library dialogs from their compiled-in templates. A template that
// cannot be loaded is a defect of the build, not a situation the user can mend, so it stops
// the program with the reason.
void BuildDialogFromTemplate(QDialog* dialog, int dialogId);

// The control with the given id among the dialog's own children; a missing one is a defect of
// the template and stops the program like a missing template.
template <typename T> T* DialogControl(QDialog* dialog, int id)
{
    T* widget = dialog->findChild<T*>(QString::number(id), Qt::FindDirectChildrenOnly);
    if (!widget) {
        qFatal("dialog control %d is missing", id);
    }
    return widget;
}
