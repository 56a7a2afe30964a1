#pragma once

#include "EditorDriving.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

// Puts the keyboard focus into an edit (or an editable combo's edit) with a click, selects
// what it holds, deletes it and types text key by key.
inline void typeOver(QWidget* input, const QString& text)
{
    QWidget* target = input;
    if (auto* combo = qobject_cast<QComboBox*>(input); combo && combo->lineEdit()) {
        target = combo->lineEdit();
    }
    QTest::mouseClick(target, Qt::LeftButton);
    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(target, Qt::Key_Delete);
    typeText(target, text);
}
