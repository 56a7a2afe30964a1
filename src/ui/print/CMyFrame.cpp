#include "ui/print/CMyFrame.h"

#include "ui/print/CMyPreviewView.h"
#include "ui/print/CMyView.h"

#include <QAction>
#include <QCloseEvent>
#include <QRegularExpression>
#include <QToolBar>

const QString CMyFrame::kCaption = QStringLiteral("打印预览");

CMyFrame::CMyFrame(QWidget* dialog, const QString* certText, const Seal::QrMatrix& code)
    : QMainWindow(nullptr), m_pDialog(dialog)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // The main dialog is hidden while the preview is open; closing the preview must not count
    // as closing the program's last window.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(kCaption);
    setGeometry(200, 200, 300, 300);

    m_pView = new CMyView(certText, this);
    m_pView->setVerificationCode(code);
    m_pPreview = new CMyPreviewView(m_pView, this);
    setCentralWidget(m_pPreview);
    connect(m_pPreview, &CMyPreviewView::closeRequested, this, [this] { ClosePreviewProc(this); });
    connect(m_pPreview, &CMyPreviewView::printed, this, &CMyFrame::printed);
    createToolBar();

    if (m_pDialog) {
        setWindowIcon(m_pDialog->windowIcon());
    }
    showMaximized();
    StartPreview();
    if (m_pDialog) {
        m_pDialog->hide();
    }
}

CMyFrame::~CMyFrame()
{
    if (m_pDialog) {
        m_pDialog->show();
    }
}

void CMyFrame::createToolBar()
{
    QToolBar* bar = addToolBar(QStringLiteral("预览"));
    bar->setObjectName(QStringLiteral("previewToolBar"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);

    m_printAction = bar->addAction(QStringLiteral("打印(&P)..."));
    m_printAction->setObjectName(QStringLiteral("previewPrint"));
    m_printAction->setShortcut(QKeySequence::Print);
    connect(m_printAction, &QAction::triggered, m_pPreview, &CMyPreviewView::OnPreviewPrint);

    QAction* zoomIn = bar->addAction(QStringLiteral("放大(&I)"));
    zoomIn->setShortcut(QKeySequence::ZoomIn);
    connect(zoomIn, &QAction::triggered, m_pPreview, [this] { m_pPreview->zoomIn(); });
    QAction* zoomOut = bar->addAction(QStringLiteral("缩小(&O)"));
    zoomOut->setShortcut(QKeySequence::ZoomOut);
    connect(zoomOut, &QAction::triggered, m_pPreview, [this] { m_pPreview->zoomOut(); });
    QAction* fit = bar->addAction(QStringLiteral("整页(&F)"));
    connect(fit, &QAction::triggered, m_pPreview, &QPrintPreviewWidget::fitInView);

    m_closeAction = bar->addAction(QStringLiteral("关闭(&C)"));
    m_closeAction->setObjectName(QStringLiteral("previewClose"));
    m_closeAction->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(m_closeAction, &QAction::triggered, m_pPreview, &CMyPreviewView::OnPreviewClose);

    // Tab reaches every button of the bar (整页 has no shortcut), and a screen reader speaks
    // each by its caption without the key hint: "打印(&P)..." is "打印".
    static const QRegularExpression keyHint(QStringLiteral("\\(&.\\)|\\.\\.\\.$"));
    for (QAction* action : bar->actions()) {
        if (QWidget* button = bar->widgetForAction(action)) {
            button->setFocusPolicy(Qt::TabFocus);
            button->setAccessibleName(action->text().remove(keyHint));
        }
    }
}

void CMyFrame::StartPreview()
{
    m_pPreview->updatePreview();
}

void CMyFrame::handBackMainWindow()
{
    // Back before this window goes, so that the program always has a window on screen.
    if (m_pDialog) {
        m_pDialog->show();
    }
    emit previewClosed();
}

void CMyFrame::ClosePreviewProc(CMyFrame* frame)
{
    frame->close();
}

void CMyFrame::closeEvent(QCloseEvent* event)
{
    handBackMainWindow();
    event->accept();
}
