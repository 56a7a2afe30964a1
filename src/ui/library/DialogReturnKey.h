#pragma once

#include <QObject>

class QPlainTextEdit;

// Gives a multi-line text box of a dialog the Enter handling of a Windows multi-line edit
// without the want-return style: Enter (and Shift+Enter) is the dialog's Enter, handed to the
// dialog window as if the box had not taken it; Ctrl+Enter types the line break.
class DialogReturnKey : public QObject
{
    Q_OBJECT
public:
    explicit DialogReturnKey(QPlainTextEdit* edit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* m_pEdit;
};
