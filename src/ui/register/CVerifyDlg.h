#pragma once

#include "register/RegisterTypes.h"

#include <QDialog>
#include <optional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace Register {
class CertificateRegister;
}

// 查验: a number typed in, or a presented certificate's text pasted in; the window says whether
// the register holds it and whether the text is the one that left, and shows the recorded text
// (its ID number masked unless the user asks for it whole).
class CVerifyDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CVerifyDlg(Register::CertificateRegister* reg, QWidget* parent = nullptr);

    QPlainTextEdit* input() const { return m_input; }
    QPlainTextEdit* report() const { return m_report; }
    QPlainTextEdit* recorded() const { return m_recorded; }
    QPushButton* fullIdButton() const { return m_fullId; }

public slots:
    void OnVerify();

private:
    // Shows the last result, the ID number inside the recorded text masked as in the register's
    // list unless 显示完整身份证号 is pressed.
    void showResult();

    Register::CertificateRegister* m_reg;
    QPlainTextEdit* m_input = nullptr;
    QPlainTextEdit* m_report = nullptr;
    QPlainTextEdit* m_recorded = nullptr;
    QPushButton* m_fullId = nullptr;
    std::optional<Register::VerifyResult> m_result;
};
