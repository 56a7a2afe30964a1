#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

// Puts the keyboard focus into an edit (or an editable combo's edit) with a click, selects
// what it holds and types text over it key by key. Unlike QTest::keyClicks this carries
// characters beyond Latin-1, as an input method delivers them.
inline void typeOver(QWidget* input, const QString& text)
{
    QWidget* target = input;
    if (auto* combo = qobject_cast<QComboBox*>(input); combo && combo->lineEdit()) {
        target = combo->lineEdit();
    }
    QTest::mouseClick(target, Qt::LeftButton);
    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(target, Qt::Key_Delete);
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}
