#pragma once

#include "register/RegisterTypes.h"

#include <QDialog>
#include <optional>

class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace Register {
class CertificateRegister;
}

// 查验: a number typed in, or a presented certificate's text pasted in; the window says whether
// the register holds it and whether the text is the one that left, and shows the recorded text
// (its ID number masked unless the user asks for it whole).
// A scan, photo or PDF of a certificate (chosen with 扫描件查验… or dropped on the window) is
// checked by its signed QR code: the verdict, the facts it carries, and the register's word.
class CVerifyDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CVerifyDlg(Register::CertificateRegister* reg, QWidget* parent = nullptr);

    QPlainTextEdit* input() const { return m_input; }
    QPlainTextEdit* report() const { return m_report; }
    QPlainTextEdit* recorded() const { return m_recorded; }
    QPushButton* fullIdButton() const { return m_fullId; }

    // The register file whose folder holds this desk's signing key and the keys it trusts.
    void setKeyFolder(const QString& registerPath) { m_registerPath = registerPath; }

public slots:
    void OnVerify();
    // Asks for a scan through the open-file seam and checks it.
    void OnVerifyScan();
    void verifyScanFile(const QString& path);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Shows the last result, the ID number inside the recorded text masked as in the register's
    // list unless 显示完整身份证号 is pressed.
    void showResult();

    Register::CertificateRegister* m_reg;
    QString m_registerPath;
    QPlainTextEdit* m_input = nullptr;
    QPlainTextEdit* m_report = nullptr;
    QPlainTextEdit* m_recorded = nullptr;
    QPushButton* m_fullId = nullptr;
    std::optional<Register::VerifyResult> m_result;
};
