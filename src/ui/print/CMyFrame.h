#pragma once

#include "seal/QrMatrix.h"

#include <QMainWindow>
#include <QPointer>

class CMyPreviewView;
class CMyView;
class QAction;

// The print-preview window. It opens as soon as it is constructed: maximised, with the main
// dialog's icon, the page drawn by its print view, and print and close commands. While it is
// open it stands in for the main dialog and the dialog is hidden; closing it by its command or
// as a window shows the dialog again and says so (previewClosed), so that the application can
// hand the main-window role back. It owns itself and is deleted once closed; each opening is
// a fresh frame.
class CMyFrame : public QMainWindow
{
    Q_OBJECT
public:
    static const QString kCaption; // "打印预览"

    // `certText` is the shared certificate text and must outlive the frame. `dialog` may be
    // null. With a code, the page carries the certificate's QR code.
    CMyFrame(QWidget* dialog, const QString* certText, const Seal::QrMatrix& code = {});
    ~CMyFrame() override;

    CMyView* view() const { return m_pView; }
    CMyPreviewView* previewView() const { return m_pPreview; }
    QAction* printAction() const { return m_printAction; }
    QAction* closeAction() const { return m_closeAction; }

    // What every way of closing the preview comes to.
    static void ClosePreviewProc(CMyFrame* frame);

signals:
    // The preview is closing; the dialog it stood in for is shown again.
    void previewClosed();
    // The page was printed from the preview.
    void printed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createToolBar();
    void StartPreview();
    void handBackMainWindow();

    QPointer<QWidget> m_pDialog;
    CMyView* m_pView = nullptr;
    CMyPreviewView* m_pPreview = nullptr;
    QAction* m_printAction = nullptr;
    QAction* m_closeAction = nullptr;
};
