#pragma once

#include "ui/controls/DialogTemplate.h"
#include "ui/controls/DialogUnits.h"

#include <QFont>
#include <QList>

class QDialog;
class QWidget;

// Turns a dialog template into widgets, as the Windows dialog manager creates a dialog from
// its resource: every control becomes a child of the host, named by its numeric id
// (objectName "1012"), placed at its rectangle converted from dialog units with the base
// units of the dialog font, and put in the tab order of the template.
class DialogBuilder
{
public:
    explicit DialogBuilder(const DialogTemplate& dialogTemplate);

    // The template's font at its point size; "宋体" and "MS Shell Dlg" reach real faces
    // through the font substitutions installed at start-up.
    QFont font() const { return m_font; }
    DialogUnits units() const { return m_units; }
    // The dialog's client size in pixels.
    QSize pixelSize() const;

    // Creates the controls as children of host and gives host the dialog font. Returns the
    // created widgets in tab order.
    QList<QWidget*> buildControls(QWidget* host) const;
    // For an ordinary dialog: caption, window buttons, font, fixed client size and controls.
    QList<QWidget*> buildDialog(QDialog* dialog) const;

    static QFont dialogFont(const QString& face, int pointSize);

private:
    QWidget* createControl(const ControlTemplate& control, QWidget* parent) const;

    DialogTemplate m_template;
    QFont m_font;
    DialogUnits m_units;
};
