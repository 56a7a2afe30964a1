#pragma once

#include <QString>

class QAbstractButton;
class QWidget;

// The text of a control the way a Windows window text works: the edit text of a combo box, the
// shown text of a date picker, the contents of an edit (multi-line text with CR LF breaks), the
// caption of a label, button or group box, the title of anything else.
void SetWidgetText(QWidget* widget, const QString& text);
QString WidgetText(const QWidget* widget);

// Changes a button's caption and its spoken name together, so that a screen reader never names
// the button by a caption it no longer shows. The name leaves out a trailing "…".
void SetButtonCaption(QAbstractButton* button, const QString& caption);
