#include "ui/print/CMyPreviewView.h"

#include "ui/print/CMyView.h"

#include <QGraphicsView>

CMyPreviewView::CMyPreviewView(CMyView* printView, QWidget* parent)
    : QPrintPreviewWidget(printView->printer(), parent), m_pPrintView(printView)
{
    setViewMode(QPrintPreviewWidget::SinglePageView);
    setZoomMode(QPrintPreviewWidget::FitInView);
    connect(this, &QPrintPreviewWidget::paintRequested, printView, &CMyView::paintRequested);
    // The page is drawn in a view of Qt's own, which takes focus and has no name.
    if (auto* page = findChild<QGraphicsView*>()) {
        page->setObjectName(QStringLiteral("previewPage"));
        page->setAccessibleName(QStringLiteral("打印预览页面"));
    }
}

void CMyPreviewView::OnPreviewPrint()
{
    if (m_beforePrint && !m_beforePrint()) {
        return;
    }
    if (m_pPrintView->OnFilePrint(this)) {
        emit printed();
        // The printer dialog may have changed paper or printer: show the page as it is now.
        updatePreview();
    }
}

void CMyPreviewView::OnPreviewClose()
{
    emit closeRequested();
}
