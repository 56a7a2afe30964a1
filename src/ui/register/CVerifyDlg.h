#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;

namespace Register {
class CertificateRegister;
}

// 查验: a number typed in, or a presented certificate's text pasted in; the window says whether
// the register holds it and whether the text is the one that left, and shows the recorded text.
class CVerifyDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CVerifyDlg(Register::CertificateRegister* reg, QWidget* parent = nullptr);

    QPlainTextEdit* input() const { return m_input; }
    QPlainTextEdit* report() const { return m_report; }
    QPlainTextEdit* recorded() const { return m_recorded; }

public slots:
    void OnVerify();

private:
    Register::CertificateRegister* m_reg;
    QPlainTextEdit* m_input = nullptr;
    QPlainTextEdit* m_report = nullptr;
    QPlainTextEdit* m_recorded = nullptr;
};
