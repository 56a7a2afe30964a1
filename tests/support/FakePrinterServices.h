#pragma once

#include "ui/common/PrinterServices.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPrinter>

#include <QString>
#include <optional>

// Installs itself for its lifetime. Says whether a default printer exists, and answers the
// printer dialog without showing it: cancel when no output file is set, otherwise print to
// that PDF file, on a printer with the printable area set below.
class FakePrinterServices : public PrinterServices::Backend
{
public:
    FakePrinterServices() { PrinterServices::setBackend(this); }
    ~FakePrinterServices() override { PrinterServices::setBackend(nullptr); }

    bool hasDefaultPrinter() override { return defaultPrinter; }

    bool choosePrinter(QPrinter& printer, QWidget*) override
    {
        ++dialogsShown;
        if (nextOutputFile.isEmpty()) {
            return false;
        }
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(nextOutputFile);
        if (resolution > 0) {
            printer.setResolution(resolution);
        }
        if (printableMargins) {
            // A queue that cannot print to the sheet's edges, with Qt's own 10 pt margins set
            // as a new printer has them.
            printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                              QMarginsF(10, 10, 10, 10), QPageLayout::Point,
                                              *printableMargins));
        }
        return true;
    }

    bool defaultPrinter = true;
    QString nextOutputFile;
    // In points; unset = the whole sheet is printable (Qt's PDF printer).
    std::optional<QMarginsF> printableMargins;
    // Dots per inch of the queue; 0 keeps Qt's.
    int resolution = 0;
    int dialogsShown = 0;
};
