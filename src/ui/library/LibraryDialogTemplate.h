#pragma once

class QDialog;

// Builds the controls of the library dialogs from their compiled-in templates. A template that
// cannot be loaded is a defect of the build, not a situation the user can mend, so it stops
// the program with the reason.
void BuildDialogFromTemplate(QDialog* dialog, int dialogId);
