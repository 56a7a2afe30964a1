#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// What the two entry editors share: a hint line, a name box and a template text box that is
// shown only for the template library. The browser sets the members before the run and reads
// m_strName and m_strText after it ended with OK. OK refuses an empty name, and in template
// mode an empty text; Cancel, Esc and the close box end the run without any check. Enter in
// the boxes goes to the hidden default button, which does nothing.
class CEntryEditorDlg : public QDialog
{
    Q_OBJECT
public:
    ~CEntryEditorDlg() override;

    QString m_strTitle;  // window title; the template title turns on template mode
    QString m_strPrompt; // text of the hint line
    QString m_strName;   // the name box (529)
    QString m_strText;   // the template text box (1033)

    static const QString kEmptyInputMessage;
    // The line under the template text that names the required items it leaves out.
    static constexpr int kCompletenessLineId = 1034;

protected:
    // The dialog is set up from the members when it is first shown.
    void showEvent(QShowEvent* event) override;

    struct Layout
    {
        int dialogId;          // dialog template
        int promptId;          // static control of the hint line
        QString templateTitle; // the title that means "this is the template library"
    };

    CEntryEditorDlg(const Layout& layout, QWidget* parent);

    virtual void OnInitDialog();
    // Copies the members into the boxes, or (bSaveAndValidate) the boxes into the members.
    void DoDataExchange(bool bSaveAndValidate);
    bool IsTemplateMode() const { return m_strTitle == m_layout.templateTitle; }

private:
    void OnOK();

    Layout m_layout;
    bool m_bInitialised = false;
    QString m_strShownText; // m_strText as the text box was given it
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pDoNothing = nullptr;
    QLabel* m_pPrompt = nullptr;
    QLineEdit* m_pNameBox = nullptr;
    QPlainTextEdit* m_pTextBox = nullptr;
    QLabel* m_pCompleteness = nullptr;
};
