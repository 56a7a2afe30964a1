#include "print/PrintCommands.h"

#include "app/Notifier.h"
#include "print/CMyFrame.h"
#include "print/CertificatePageLayout.h"
#include "print/CertificatePdfExport.h"
#include "print/PrinterServices.h"
#include "print/SaveFileDialog.h"

#include <QDir>
#include <QStandardPaths>

namespace PrintCommands {

QString CertificateBody(const QString& resultText)
{
    const QString& title = CertificatePageLayout::kTitle;
    const qsizetype at = resultText.indexOf(title);
    return at < 0 ? resultText : resultText.mid(at + title.size());
}

CMyFrame* OpenPrintPreview(QWidget* dialog, const QString& resultText, QString* certText,
                           QPointer<QWidget>* mainWindow)
{
    if (!PrinterServices::hasDefaultPrinter()) {
        Notifier::information(dialog, kNoPrinterMessage);
        return nullptr;
    }
    *certText = CertificateBody(resultText);
    return new CMyFrame(dialog, mainWindow, certText);
}

QString SuggestedPdfPath(const QString& name)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) {
        folder = QDir::homePath();
    }
    // A name is typed freely; a slash would point into another folder.
    QString cleaned = name.trimmed();
    cleaned.replace(u'/', u'_');
    cleaned.remove(QChar(0));
    const QString file =
        cleaned.isEmpty() ? CertificatePageLayout::kTitle + QStringLiteral(".pdf")
                          : CertificatePageLayout::kTitle + u'-' + cleaned + QStringLiteral(".pdf");
    return QDir(folder).filePath(file);
}

bool ExportPdf(QWidget* parent, const QString& resultText, const QString& name)
{
    const QString path = SaveFileDialog::getSaveFileName(
        parent, kExportCaption, SuggestedPdfPath(name), QStringLiteral("PDF 文件 (*.pdf)"));
    if (path.isEmpty()) {
        return false;
    }
    QString error;
    if (!ExportCertificatePdf(path, CertificateBody(resultText), &error)) {
        Notifier::information(
            parent,
            QStringLiteral("无法写入文件“%1”：%2").arg(QDir::toNativeSeparators(path), error));
        return false;
    }
    return true;
}

} // namespace PrintCommands
