#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

// Finds the editors' and the browser's controls by their ids, as the dialogs name them.
template <typename T> T* child(QWidget* dialog, int id)
{
    T* widget = dialog->findChild<T*>(QString::number(id));
    EXPECT_TRUE(widget) << "no control " << id;
    return widget;
}

inline QPushButton* okButton(QDialog* d)
{
    return child<QPushButton>(d, 1);
}
inline QPushButton* cancelButton(QDialog* d)
{
    return child<QPushButton>(d, 2);
}
inline QLineEdit* nameBox(QDialog* d)
{
    return child<QLineEdit>(d, 529);
}
inline QPlainTextEdit* textBox(QDialog* d)
{
    return child<QPlainTextEdit>(d, 1033);
}

// Types text into a widget key by key, as a keyboard or an input method delivers it; unlike
// QTest::keyClicks it carries characters beyond Latin-1.
inline void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Replaces the boxes' contents by typing (the text box only when a text is given) and presses
// 确定.
inline void fillAndConfirm(QDialog* editor, const QString& name, const QString& text = QString())
{
    nameBox(editor)->clear();
    typeText(nameBox(editor), name);
    if (!text.isNull()) {
        textBox(editor)->clear();
        typeText(textBox(editor), text);
    }
    QTest::mouseClick(okButton(editor), Qt::LeftButton);
}

// Clicks the tree row that shows label, as the user would; false when there is no such row.
inline bool clickTreeRow(QTreeWidget* tree, const QString& label)
{
    const auto found = tree->findItems(label, Qt::MatchExactly);
    if (found.isEmpty()) {
        return false;
    }
    tree->scrollToItem(found.first());
    const QPoint at = tree->visualItemRect(found.first()).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    return tree->currentItem() == found.first();
}
