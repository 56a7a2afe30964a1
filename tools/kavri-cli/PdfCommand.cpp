#include "PdfCommand.h"

#include "CliApplication.h"
#include "CliInput.h"
#include "CliOptions.h"
#include "ComposeCommand.h"
#include "LegalOptions.h"
#include "print/CertificateBody.h"
#include "print/CertificateOfdExport.h"
#include "print/CertificatePdfExport.h"

#include <memory>

namespace PdfCommand {

QString synopsis()
{
    return QStringLiteral(
               "pdf --template FILE --out FILE.pdf|FILE.ofd [--width W] [value options of compose]\n"
               "    Writes the certificate as the one A4 page that 导出PDF writes, as PDF, or as\n"
               "    OFD (GB/T 33190) when FILE ends in .ofd. Without --width the certificate is\n"
               "    composed %1 characters wide, as the main window's result box holds it.")
        .arg(kResultBoxWidth);
}

int run(const QStringList& args)
{
    const QStringList allowed = ComposeCommand::optionNames() << QStringLiteral("out");
    CliOptions options;
    QString error;
    if (!options.parse(args, allowed, &error, LegalOptions::flagNames())) {
        return CliInput::refuse(error);
    }
    if (!options.has(QStringLiteral("width"))) {
        QStringList withWidth = args;
        withWidth << QStringLiteral("--width") << QString::number(kResultBoxWidth);
        options = CliOptions();
        if (!options.parse(withWidth, allowed, &error, LegalOptions::flagNames())) {
            return CliInput::refuse(error);
        }
    }
    const QString out = options.value(QStringLiteral("out"));
    if (out.isEmpty()) {
        return CliInput::refuse(options.has(QStringLiteral("out"))
                                    ? QStringLiteral("选项“--out”缺少文件名")
                                    : CliInput::missingOption(QStringLiteral("out")));
    }
    const std::optional<QString> certificate = ComposeCommand::certificate(options, &error);
    if (!certificate) {
        return CliInput::refuse(error);
    }

    const std::unique_ptr<QGuiApplication> app = CliApplication::offscreen();
    const QString body = CertificateBody(*certificate);
    const bool ofd = out.endsWith(QStringLiteral(".ofd"), Qt::CaseInsensitive);
    const bool written =
        ofd ? ExportCertificateOfd(
                  out, body, CertificateOfdInfo{options.value(QStringLiteral("company")), {}, {}},
                  &error)
            : ExportCertificatePdf(out, body, &error);
    if (!written) {
        return CliInput::refuse(
            QStringLiteral("无法写入“%1”（%2）").arg(out, CliInput::whyNotWritten(out, error)));
    }
    return 0;
}

} // namespace PdfCommand
