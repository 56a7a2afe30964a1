#pragma once

#include <QString>

class QWidget;

// The text of a dialog's child control, found by its numeric id (its objectName). Works on
// line edits, plain-text edits, combo boxes (their edit text), date edits, labels and buttons.
void SetCtrlText(QWidget* dialog, int id, const QString& text);
QString GetCtrlText(QWidget* window, int id);
