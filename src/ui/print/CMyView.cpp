#include "ui/print/CMyView.h"

#include "print/CertificatePagePainting.h"
#include "ui/common/PrinterServices.h"

#include <QPageLayout>
#include <QPainter>

CMyView::CMyView(const QString* certText, QObject* parent) : QObject(parent), m_certText(certText)
{
    m_printer.setDocName(Compose::kTitle);
    m_printer.setFullPage(false);
    UsePrintableArea(m_printer);
}

void CMyView::UsePrintableArea(QPrinter& printer)
{
    // Qt starts every printer with margins of its own (10 pt) whatever the queue can print on.
    // The page is laid out over the device's area, so the margins are brought down to what the
    // printer itself cannot print on: an edge-to-edge queue then gets the whole sheet, exactly
    // as the exported PDF does, and an inset queue gets its imageable area.
    const QPageLayout layout = printer.pageLayout();
    printer.setPageMargins(layout.minimumMargins(), layout.units());
}

void CMyView::OnDraw(QPainter& painter)
{
    PaintCertificatePage(painter, m_layout, m_certText ? QStringView(*m_certText) : QStringView());
}

bool CMyView::OnPrint(QPrinter* printer)
{
    UsePrintableArea(*printer);
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
