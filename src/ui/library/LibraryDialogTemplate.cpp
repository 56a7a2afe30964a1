#include "ui/library/LibraryDialogTemplate.h"

#include "ui/controls/DialogBuilder.h"
#include "ui/controls/DialogTemplate.h"

#include <QDialog>

void BuildDialogFromTemplate(QDialog* dialog, int dialogId)
{
    DialogTemplate dialogTemplate;
    QString error;
    if (!DialogTemplate::load(dialogId, &dialogTemplate, &error)) {
        qFatal("dialog template %d: %s", dialogId, qPrintable(error));
    }
    DialogBuilder(dialogTemplate).buildDialog(dialog);
}
