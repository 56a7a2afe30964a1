#pragma once

#include "ui/common/PrinterServices.h"

#include <QPrinter>
#include <QString>

// Installs itself for its lifetime. Says whether a default printer exists, and answers the
// printer dialog without showing it: cancel when no output file is set, otherwise print to
// that PDF file.
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
        return true;
    }

    bool defaultPrinter = true;
    QString nextOutputFile;
    int dialogsShown = 0;
};
