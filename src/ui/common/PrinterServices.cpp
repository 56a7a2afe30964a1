#include "ui/common/PrinterServices.h"
#include "ui/common/Seam.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

class SystemPrinters : public PrinterServices::Backend
{
public:
    bool hasDefaultPrinter() override { return !QPrinterInfo::defaultPrinter().isNull(); }

    bool choosePrinter(QPrinter& printer, QWidget* parent) override
    {
        QPrintDialog dialog(&printer, parent);
        // The certificate is one page: page ranges and copies of a selection mean nothing here.
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        return dialog.exec() == QDialog::Accepted;
    }
};

SystemPrinters g_systemPrinters;
constinit Seam<PrinterServices::Backend> g_printerBackend(g_systemPrinters);

} // namespace

bool PrinterServices::hasDefaultPrinter()
{
    return g_printerBackend->hasDefaultPrinter();
}

bool PrinterServices::choosePrinter(QPrinter& printer, QWidget* parent)
{
    return g_printerBackend->choosePrinter(printer, parent);
}

void PrinterServices::setBackend(Backend* backend)
{
    g_printerBackend.replace(backend);
}
