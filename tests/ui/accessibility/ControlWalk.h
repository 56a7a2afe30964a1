#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// What a screen reader and a keyboard user meet in one window.
namespace ControlWalk {

// Every shown control of `window` that takes focus by Tab, in creation order. The text box
// inside an editable combo box counts (focus lands there); the inner parts of spin and date
// boxes and the viewports of lists and text boxes do not (their box speaks for them).
QList<QWidget*> focusableControls(QWidget* window);

// What a screen reader speaks for the control: its accessible name.
QString spokenName(QWidget* control);

// "<class> <object name>" of each control whose spoken name is empty.
QStringList unnamed(QWidget* window);

// The spoken names carried by more than one control of the window (a combo box and its own
// text box count once).
QStringList sharedNames(QWidget* window);

// Presses Tab from the window's first control until focus comes back round, and lists the
// enabled controls it never reached, plus "stuck at <control>" where three Tabs in a row did
// not move on (a date box's sections take two).
// A radio button whose group holds its check elsewhere is reached by the arrow keys instead.
QStringList unreachedByTab(QWidget* window);

// "<object name>: <text>" of each shown label whose text a screen reader does not hear: neither
// its accessible name nor its description holds the text it shows. A label that says nothing in
// words (empty, a picture, a mark such as "！") is not listed.
QStringList unspokenLabels(QWidget* window);

// "<class> <object name>" of each shown drop-down that no label is linked to. On Linux a screen
// reader names a combo box by its current entry; the label relation says what the box is.
QStringList unlabelledDropDowns(QWidget* window);

} // namespace ControlWalk
