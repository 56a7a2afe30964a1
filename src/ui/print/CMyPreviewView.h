#pragma once

#include <QPrintPreviewWidget>

class CMyView;

// The page as it will be printed, at printer resolution scaled to the screen, with the
// preview's own two commands: print and close.
class CMyPreviewView : public QPrintPreviewWidget
{
    Q_OBJECT
public:
    CMyPreviewView(CMyView* printView, QWidget* parent = nullptr);

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
};
