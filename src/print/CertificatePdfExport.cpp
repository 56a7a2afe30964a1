#include "print/CertificatePdfExport.h"

#include "print/CertificatePageLayout.h"
#include "print/CertificatePagePainting.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

void SetUpCertificatePdfWriter(QPdfWriter& writer)
{
    writer.setResolution(kPdfResolution);
    // A PDF page has no unprintable border: the page grid spans the whole sheet.
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer.setTitle(Compose::kTitle);
    writer.setCreator(QStringLiteral("kavri"));
}

bool WriteCertificatePdf(QIODevice* device, QStringView body, QString* error,
                         const Seal::QrMatrix& code)
{
    QPdfWriter writer(device);
    SetUpCertificatePdfWriter(writer);
    QPainter painter;
    if (!painter.begin(&writer)) {
        if (error) {
            *error = QStringLiteral("无法开始绘制 PDF 页面");
        }
        return false;
    }
    CertificatePageLayout layout;
    layout.setVerificationCode(code);
    PaintCertificatePage(painter, layout, body);
    painter.end();
    return true;
}

bool ExportCertificatePdf(const QString& path, QStringView body, QString* error,
                          const Seal::QrMatrix& code)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    if (!WriteCertificatePdf(&file, body, error, code)) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    return true;
}
