#pragma once

#include <QString>

// Stored texts break lines with CR LF, as the Windows edit controls wrote them; a Qt text box
// holds a bare LF per line break. These convert at the box's edge so that what is stored keeps
// its CR LF form.
namespace EditText {

// The text as a text box shows it: every CR LF becomes LF.
QString toBox(const QString& stored);
// The text of a box as it is stored: every LF becomes CR LF.
QString fromBox(const QString& boxText);

} // namespace EditText
