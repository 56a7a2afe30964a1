#pragma once

class QPrinter;
class QWidget;

// The printer system as the print commands see it: is there a default printer, and which
// printer and settings does the user pick for one print job. Tests put a backend of their own
// in place, so that nothing depends on installed printers and no modal dialog blocks.
class PrinterServices
{
public:
    class Backend
    {
    public:
        virtual ~Backend() = default;
        virtual bool hasDefaultPrinter() = 0;
        // Shows the printer dialog for `printer`; true when the user chose to print.
        virtual bool choosePrinter(QPrinter& printer, QWidget* parent) = 0;
    };

    static bool hasDefaultPrinter();
    static bool choosePrinter(QPrinter& printer, QWidget* parent);

    // Replaces the backend; nullptr restores the one that asks CUPS and shows QPrintDialog.
    static void setBackend(Backend* backend);
};
