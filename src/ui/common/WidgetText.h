#pragma once

#include <QString>

class QWidget;

// The text of a control the way a Windows window text works: the edit text of a combo box, the
// shown text of a date picker, the contents of an edit (multi-line text with CR LF breaks), the
// caption of a label, button or group box, the title of anything else.
void SetWidgetText(QWidget* widget, const QString& text);
QString WidgetText(const QWidget* widget);
