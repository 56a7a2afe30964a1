#pragma once

#include "ui/batch/CBatchDlg.h"
#include "ui/main/ScrollStep.h"
#include "ui/print/CMyFrame.h"

#include <QDialog>
#include <QIcon>
#include <QList>
#include <QRect>
#include <QString>
#include <memory>

class CButtonXp;
class CDbVisit;
class LegalFormFields;
class LibraryBackupActions;
class ListViewCtrl;
class QLabel;
class QAction;
class QComboBox;
class QPlainTextEdit;
class QScrollBar;
class RegisterSession;

// The main window: template list, preview sheet, the form, the result sheet, the library
// buttons and the information panel, built from dialog template 102 inside a content widget
// that the window's own scroll bar moves up and down. The window covers the available screen
// area for the whole run.
//
// It works on what it is given: the data-access object (connected to libraryPath when the
// window initialises, closed when it ends) and the shared certificate text that the print
// preview draws. Both must outlive the window.
class CkavriDlg : public QDialog
{
    Q_OBJECT
public:
    CkavriDlg(CDbVisit& dbVisit, QString& certText, const QString& libraryPath,
              QWidget* parent = nullptr);
    ~CkavriDlg() override;

    // Initialises the window (once), shows it and runs the application's event loop until the
    // window has been closed; returns the window's result.
    int DoModal();
    // Opens the library, fills the lists and lays the window out; shows the window. Runs
    // once; later calls return at once.
    bool OnInitDialog();

    // Shows the selected template (if it is not the one shown) in the preview and lays the
    // form out for it.
    void ShowSelectedTemplate();
    // Shows the label/input pairs whose placeholder occurs in templateText, in a two-column
    // flow under the second banner; hides the others.
    void LayoutFormFields(const QString& templateText);

    // The scroll bar's requests and the mouse wheel.
    void OnVScroll(ScrollRequest request, int thumb = 0);
    void OnMouseWheel(int delta);

    // Where the README the information panel opens lies, from the executable's folder.
    static const QString kReadmePath;

    // Moves the result box's text into m_strResult (true) or back into the box (false).
    void UpdateData(bool saveAndValidate = true);

    // The control with the given id from dialog template 102.
    QWidget* control(int id) const;
    template <class T> T* control(int id) const { return qobject_cast<T*>(control(id)); }

    // The widget that holds the controls; the scroll bar moves it.
    QWidget* content() const { return m_pContent; }
    ScrollRange scrollRange() const { return m_scrollRange; }
    QAction* aboutAction() const { return m_pAboutAction; }
    // 批量生成… in the context menu, beside the about box.
    QAction* batchAction() const { return m_pBatchAction; }
    // What the batch dialog starts from: the template shown and the form's values.
    CBatchDlg::Setup BatchSetup() const;
    // 备份资料库 and 恢复资料库, offered beside the about box in the context menu.
    LibraryBackupActions* backupActions() const { return m_pBackupActions; }
    // 登记簿 in the context menu, and the register every Generate records in.
    QAction* registerAction() const { return m_pRegisterAction; }
    RegisterSession& registerSession() { return *m_pRegister; }

    ListViewCtrl* m_listTemplates = nullptr;
    QScrollBar* m_scrollBar = nullptr;
    QString m_strResult;
    QString m_strTemplateText;
    qint32 m_nShownTemplate = -1;
    qint32 m_nScrollPos = 0;
    QRect m_rcScrollBar;
    CButtonXp* m_btnCompanyLibrary = nullptr;
    CButtonXp* m_btnDepartmentLibrary = nullptr;
    CButtonXp* m_btnPositionLibrary = nullptr;
    CButtonXp* m_btnReasonLibrary = nullptr;
    CButtonXp* m_btnTemplateLibrary = nullptr;
    QIcon m_hIcon;

signals:
    // The print preview opened and stands in for this window until it closes.
    void previewOpened(CMyFrame* frame);

public slots:
    void OnTemplateListClick();
    void OnAbout();
    void OnBatch();
    void OnRegister();

    // Commands of the buttons and the information panel.
    void OnGenerate();
    void OnCopyText();
    void OnInfoPanelClick();
    void OnCompanyLibrary();
    void OnDepartmentLibrary();
    void OnPositionLibrary();
    void OnReasonLibrary();
    void OnTemplateLibrary();
    void OnPrintPreview();
    void OnExportPdf();

protected:
    void done(int result) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void ConnectCommands();
    void SetUpRegister();
    void SetUpTemplateList();
    void FillChoiceCombos();
    // A team library that was out of reach when the window opened is tried again, quietly, at
    // the next action (Generate, a library button, the register); once the server answers the
    // form's lists are filled as at the start, what the user typed kept. The action then goes
    // on as it would have: still out of reach, it gives its usual notice.
    void ReachTeamLibrary();
    void PlaceSheet();
    void PlaceLibraryButtons();
    void SetUpScrollBar();
    void ApplyScrollBarLayout();
    void ApplySheetColours();
    void OnScrollBarAction(int action);
    void ScrollTo(int position);
    void UpdateContentSize();

    // The inputs for the placeholders beyond the nine, the ID hint and the mark on a template
    // that leaves out what a certificate must state (CkavriDlgLegal.cpp).
    void BuildLegalControls();
    void ShowTemplateCompleteness(const QString& templateText);

    // Keeping the window on the available screen area.
    QRect PlacementTarget() const;
    void ApplyPlacement();
    void SchedulePlacementCheck();
    void CheckPlacement();

    CDbVisit& m_dbVisit;
    QString& m_strCertText;
    QString m_strLibraryPath;
    QWidget* m_pContent = nullptr;
    QSize m_templateSize;
    QAction* m_pAboutAction = nullptr;
    QAction* m_pBatchAction = nullptr;
    LibraryBackupActions* m_pBackupActions = nullptr;
    QAction* m_pRegisterAction = nullptr;
    std::unique_ptr<RegisterSession> m_pRegister;
    ScrollRange m_scrollRange;
    bool m_bInitialised = false;
    bool m_bPlacementCheckPending = false;
    QList<QRect> m_placementsUndone;
    std::unique_ptr<LegalFormFields> m_pLegalFields;
    QLabel* m_pCompletenessMark = nullptr;
};
