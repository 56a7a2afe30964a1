#include "print/CMyPreviewView.h"

#include "print/CMyView.h"

CMyPreviewView::CMyPreviewView(CMyView* printView, QWidget* parent)
    : QPrintPreviewWidget(printView->printer(), parent), m_pPrintView(printView)
{
    setViewMode(QPrintPreviewWidget::SinglePageView);
    setZoomMode(QPrintPreviewWidget::FitInView);
    connect(this, &QPrintPreviewWidget::paintRequested, printView, &CMyView::paintRequested);
}

void CMyPreviewView::OnPreviewPrint()
{
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
