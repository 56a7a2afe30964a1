#pragma once

#include <QPrintPreviewWidget>
#include <functional>

class CMyView;

// The page as it will be printed, at printer resolution scaled to the screen, with the
// preview's own two commands: print and close.
class CMyPreviewView : public QPrintPreviewWidget
{
    Q_OBJECT
public:
    CMyPreviewView(CMyView* printView, QWidget* parent = nullptr);

    // Asked before the printer dialog opens; false: nothing is printed.
    void setBeforePrint(std::function<bool()> check) { m_beforePrint = std::move(check); }

public slots:
    // The printer dialog and one page; the preview stays open and shows any new page setup.
    void OnPreviewPrint();
    void OnPreviewClose();

signals:
    void closeRequested();
    // The page went to the printer (the printer dialog was not cancelled).
    void printed();

private:
    CMyView* m_pPrintView;
    std::function<bool()> m_beforePrint;
};
