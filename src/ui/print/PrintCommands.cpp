#include "ui/print/PrintCommands.h"

#include "compose/CertificateComposer.h"
#include "issue/StagedFile.h"
#include "print/CertificateBody.h"
#include "print/CertificatePdfExport.h"
#include "ui/common/Notifier.h"
#include "ui/common/PrinterServices.h"
#include "ui/common/SaveFileDialog.h"
#include "ui/print/CMyFrame.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace PrintCommands {

CMyFrame* OpenPrintPreview(QWidget* dialog, const QString& resultText, QString* certText,
                           const Seal::QrMatrix& code)
{
    if (!PrinterServices::hasDefaultPrinter()) {
        Notifier::information(dialog, kNoPrinterMessage);
        return nullptr;
    }
    *certText = CertificateBody(resultText);
    return new CMyFrame(dialog, certText, code);
}

QString SuggestedPdfPath(const QString& name)
{
    // The documents folder is named even on accounts that never had one; the file dialog then
    // cannot open it and drops the folder from the suggestion. Only a folder that exists is
    // offered, and always as an absolute path.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) {
        folder = QDir::homePath();
    }
    // A name is typed freely; a slash would point into another folder.
    QString cleaned = name.trimmed();
    cleaned.replace(u'/', u'_');
    cleaned.remove(QChar(0));
    const QString file = cleaned.isEmpty()
                             ? Compose::kTitle + QStringLiteral(".pdf")
                             : Compose::kTitle + u'-' + cleaned + QStringLiteral(".pdf");
    return QDir(folder).absoluteFilePath(file);
}

ExportFormat ExportFormatOf(const QString& path)
{
    return path.endsWith(QStringLiteral(".ofd"), Qt::CaseInsensitive) ? ExportFormat::Ofd
                                                                      : ExportFormat::Pdf;
}

std::optional<ExportFormat> ExportPdf(QWidget* parent, const QString& resultText,
                                      const QString& name, const CertificateOfdInfo& info,
                                      const PlaceExport& place, const Seal::QrMatrix& code)
{
    const QString path = SaveFileDialog::getSaveFileName(parent, kExportCaption,
                                                         SuggestedPdfPath(name), kExportFilters);
    if (path.isEmpty()) {
        return std::nullopt;
    }
    const auto notice = [&](const QString& error) {
        Notifier::information(
            parent,
            QStringLiteral("无法写入文件“%1”：%2").arg(QDir::toNativeSeparators(path), error));
    };
    StagedFile file(path);
    QString error;
    const ExportFormat format = ExportFormatOf(path);
    const QString body = CertificateBody(resultText);
    const bool written =
        format == ExportFormat::Ofd
            ? file.writeAt(
                  [&](const QString& staged, QString* why) {
                      return ExportCertificateOfd(staged, body, info, why, code);
                  },
                  &error)
            : file.write(
                  [&](QFile& device, QString* why) {
                      return WriteCertificatePdf(&device, body, why, code);
                  },
                  &error);
    if (!written) {
        notice(error);
        return std::nullopt;
    }
    if (place) {
        return place(&file, format) ? std::optional<ExportFormat>(format) : std::nullopt;
    }
    if (!file.place(&error)) {
        notice(error);
        return std::nullopt;
    }
    return format;
}

} // namespace PrintCommands
