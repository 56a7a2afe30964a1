#include "ui/main/CkavriDlg.h"

#include "resources/Bitmaps.h"
#include "resources/StringTable.h"
#include "store/CDbVisit.h"
#include "store/LibraryTables.h"
#include "store/SqlConnection.h"
#include "store/pg/TeamConfig.h"
#include "ui/common/CtrlText.h"
#include "ui/controls/CButtonXp.h"
#include "ui/controls/DialogBuilder.h"
#include "ui/controls/ListViewCtrl.h"
#include "ui/controls/RecordControls.h"
#include "ui/main/CAboutDlg.h"
#include "ui/main/LegalFormFields.h"
#include "ui/main/LibraryBackupActions.h"
#include "ui/main/MainDialogIds.h"
#include "ui/main/MainWindowAccessibility.h"
#include "ui/register/RegisterSession.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>

using namespace MainIds;

CkavriDlg::CkavriDlg(CDbVisit& dbVisit, QString& certText, const QString& libraryPath,
                     QWidget* parent)
    : QDialog(parent), m_hIcon(LoadAppIcon()), m_dbVisit(dbVisit), m_strCertText(certText),
      m_strLibraryPath(libraryPath)
{
    BuildControls();
    ConnectCommands();
    SetUpRegister();
}

CkavriDlg::~CkavriDlg() = default;

void CkavriDlg::BuildControls()
{
    DialogTemplate dialogTemplate;
    QString error;
    if (!DialogTemplate::load(kDialog, &dialogTemplate, &error)) {
        // The template is compiled into the program; without it there is no window to show.
        qFatal("main dialog template: %s", qPrintable(error));
    }
    const DialogBuilder builder(dialogTemplate);
    setWindowTitle(dialogTemplate.caption);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(builder.font());

    m_pContent = new QWidget(this);
    m_pContent->setObjectName(QStringLiteral("content"));
    builder.buildControls(m_pContent);
    SetUpMainWindowAccessibility(m_pContent);
    m_templateSize = builder.pixelSize();
    BuildLegalControls();
    m_pContent->setGeometry(QRect(QPoint(0, 0), m_templateSize));

    m_listTemplates = control<ListViewCtrl>(kTemplateList);
    m_scrollBar = control<QScrollBar>(kScrollBar);
    // The scroll bar stays where it is while the content moves under it.
    m_scrollBar->setParent(this);
    m_scrollBar->setVisible(true);
    m_scrollBar->raise();
    m_btnCompanyLibrary = control<CButtonXp>(kCompanyLibrary);
    m_btnDepartmentLibrary = control<CButtonXp>(kDepartmentLibrary);
    m_btnPositionLibrary = control<CButtonXp>(kPositionLibrary);
    m_btnReasonLibrary = control<CButtonXp>(kReasonLibrary);
    m_btnTemplateLibrary = control<CButtonXp>(kTemplateLibrary);

    m_pAboutAction = new QAction(this);
    m_pAboutAction->setShortcut(QKeySequence(Qt::Key_F1));
    m_pAboutAction->setShortcutContext(Qt::WindowShortcut);
    addAction(m_pAboutAction);
    connect(m_pAboutAction, &QAction::triggered, this, &CkavriDlg::OnAbout);
    m_pBatchAction = new QAction(QStringLiteral("批量生成(&B)..."), this);
    m_pBatchAction->setObjectName(QStringLiteral("batchAction"));
    connect(m_pBatchAction, &QAction::triggered, this, &CkavriDlg::OnBatch);
    m_pBackupActions = new LibraryBackupActions(this, [this] { return m_strLibraryPath; });
}

QWidget* CkavriDlg::control(int id) const
{
    const QString name = QString::number(id);
    if (m_scrollBar && id == kScrollBar) {
        return m_scrollBar;
    }
    return m_pContent ? m_pContent->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly) : nullptr;
}

int CkavriDlg::DoModal()
{
    OnInitDialog();
    if (!isVisible()) {
        show();
    }
    // The application's own loop, not QDialog::exec(): exec() would end when the window is
    // hidden, and the print preview hides it while it stands in for it.
    const QMetaObject::Connection quit =
        connect(this, &QDialog::finished, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    disconnect(quit);
    return result();
}

bool CkavriDlg::OnInitDialog()
{
    if (m_bInitialised) {
        return true;
    }
    m_bInitialised = true;

    // The about box is offered in the window's context menu and on F1; Linux window
    // managers keep their window menus to themselves.
    const QString aboutText = LoadStringResource(kAboutMenuString);
    m_pAboutAction->setText(aboutText);
    m_pAboutAction->setEnabled(!aboutText.isEmpty());

    setWindowIcon(m_hIcon);

    m_dbVisit.m_pConnection = m_dbVisit.ConnectLibrary(m_strLibraryPath);
    // A team keeps its register on the server of its library, never in a file on this desk.
    if (!m_dbVisit.TeamConninfo().isEmpty()) {
        m_pRegister->useServer(m_dbVisit.TeamConninfo());
    }
    if (!m_dbVisit.LibraryTitle().isEmpty()) {
        setWindowTitle(windowTitle() + QStringLiteral(" — ") + m_dbVisit.LibraryTitle());
    }

    ApplyPlacement();

    SetUpTemplateList();
    PlaceSheet();
    ApplySheetColours();
    control<QComboBox>(kGender)->setEditText(QStringLiteral("男"));
    FillChoiceCombos();
    ShowSelectedTemplate();
    PlaceLibraryButtons();
    SetUpScrollBar();
    return true;
}

void CkavriDlg::ReachTeamLibrary()
{
    const QString& conninfo = m_dbVisit.TeamConninfo();
    // A configuration that names its server wrongly (a password in it) stays refused.
    if (m_dbVisit.m_pConnection || conninfo.isEmpty() ||
        !TeamConfig::checkConninfo(conninfo).isEmpty()) {
        return;
    }
    QString error;
    std::shared_ptr<SqlConnection> connection = SqlConnection::openServer(conninfo, &error);
    if (!connection) {
        return;
    }
    m_dbVisit.m_pConnection = std::move(connection);
    // The four combo boxes take their libraries' defaults unless the user typed a value.
    QList<std::pair<QComboBox*, QString>> typed;
    for (const int id : {kCompany, kDepartment, kPosition, kReason}) {
        auto* combo = control<QComboBox>(id);
        typed.append({combo, combo->currentText()});
    }
    m_nShownTemplate = -1;
    m_listTemplates->setRowCount(0);
    SetUpTemplateList();
    FillChoiceCombos();
    for (const auto& [combo, text] : typed) {
        if (!text.isEmpty()) {
            combo->setEditText(text);
        }
    }
    ShowSelectedTemplate();
}

void CkavriDlg::FillChoiceCombos()
{
    namespace Tables = LibraryTables;
    const std::pair<int, const QString&> choices[] = {
        {kCompany, Tables::kCompany},
        {kDepartment, Tables::kDepartment},
        {kPosition, Tables::kPosition},
        {kReason, Tables::kReason},
    };
    for (const auto& [id, table] : choices) {
        auto* combo = control<QComboBox>(id);
        FillRecordCombo(m_dbVisit, combo, table, Tables::kNameColumn);
        ShowRecordValue(m_dbVisit, combo, table, Tables::kDefaultColumn, Tables::kDefaultMarker,
                        Tables::kNameColumn);
        // Show a long name from its start, as a Windows combo does.
        if (QLineEdit* edit = combo->lineEdit()) {
            edit->setCursorPosition(0);
        }
    }
}

void CkavriDlg::UpdateData(bool saveAndValidate)
{
    // Through the control-text helpers, which give the box's line breaks back as CR LF.
    if (saveAndValidate) {
        m_strResult = GetCtrlText(this, kResult);
    } else {
        SetCtrlText(this, kResult, m_strResult);
    }
}

void CkavriDlg::done(int result)
{
    // Every way of ending the window closes the library connection first.
    m_dbVisit.CloseConnection(m_dbVisit.m_pConnection);
    QDialog::done(result);
}

void CkavriDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter and Esc reach the window when no control wants them. They end a dialog, but
    // ending this one would throw the form and an edited certificate away: only closing the
    // window ends it.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CkavriDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(m_pRegisterAction);
    menu.addAction(m_pBatchAction);
    if (m_pAboutAction->isEnabled()) {
        menu.addAction(m_pAboutAction);
    }
    menu.addAction(m_pBackupActions->backupAction());
    menu.addAction(m_pBackupActions->restoreAction());
    menu.exec(event->globalPos());
}

void CkavriDlg::OnAbout()
{
    CAboutDlg about(this);
    about.exec();
}
