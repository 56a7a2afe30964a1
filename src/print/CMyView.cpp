#include "print/CMyView.h"

#include "print/CertificatePagePainting.h"
#include "ui/common/PrinterServices.h"

#include <QPainter>

CMyView::CMyView(const QString* certText, QObject* parent) : QObject(parent), m_certText(certText)
{
    m_printer.setDocName(Compose::kTitle);
    m_printer.setFullPage(false);
}

void CMyView::OnDraw(QPainter& painter)
{
    PaintCertificatePage(painter, m_layout, m_certText ? QStringView(*m_certText) : QStringView());
}

bool CMyView::OnPrint(QPrinter* printer)
{
    QPainter painter;
    if (!painter.begin(printer)) {
        return false;
    }
    OnDraw(painter);
    return painter.end();
}

bool CMyView::OnFilePrint(QWidget* dialogParent)
{
    // Print exactly one copy of the one page, whatever range the last job asked for.
    m_printer.setPrintRange(QPrinter::AllPages);
    if (!PrinterServices::choosePrinter(m_printer, dialogParent)) {
        return false;
    }
    return OnPrint(&m_printer);
}

void CMyView::paintRequested(QPrinter* printer)
{
    QPainter painter(printer);
    OnDraw(painter);
}
