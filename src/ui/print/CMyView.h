#pragma once

#include "print/CertificatePageLayout.h"

#include <QObject>
#include <QPrinter>

class QPainter;
class QWidget;

// The print view: owns the printer of the preview and draws the certificate page on whatever
// printer it is handed, the preview's as well as the real one. The body comes from the shared
// certificate text, read afresh at every page.
class CMyView : public QObject
{
    Q_OBJECT
public:
    // `certText` must outlive the view.
    explicit CMyView(const QString* certText, QObject* parent = nullptr);

    QPrinter* printer() { return &m_printer; }

    // The certificate's signed QR code, drawn on every page from now on (null: none).
    void setVerificationCode(const Seal::QrMatrix& code) { m_layout.setVerificationCode(code); }

    // Draws the page on the painter's device, laid out over its printable area.
    void OnDraw(QPainter& painter);
    // One print pass on `printer`: one page. False when the printer would not start.
    bool OnPrint(QPrinter* printer);
    // The print command: the printer dialog, then the one page. False when the user cancelled
    // or the printer failed.
    bool OnFilePrint(QWidget* dialogParent);

    // Makes the printer's margins those of its printable area (none on an edge-to-edge queue).
    static void UsePrintableArea(QPrinter& printer);

public slots:
    // For QPrintPreviewWidget::paintRequested.
    void paintRequested(QPrinter* printer);

private:
    const QString* m_certText;
    CertificatePageLayout m_layout;
    QPrinter m_printer{QPrinter::HighResolution};
};
