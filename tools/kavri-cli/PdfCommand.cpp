#include "PdfCommand.h"

#include "CliInput.h"
#include "CliOptions.h"
#include "LegalOptions.h"
#include "compose/CertificateComposer.h"
#include "print/CertificatePdfExport.h"
#include "print/PrintCommands.h"
#include "ui/common/FontSubstitutions.h"

#include <QGuiApplication>
#include <cstdio>
#include <memory>

namespace PdfCommand {

namespace {

// Qt's notes about the session it runs in (no runtime folder, no font cache) are not the
// command's business: stderr holds only what the command itself has to say.
void dropQtNotes(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "kavri-cli: %s\n", message.toUtf8().constData());
    }
    (void)context;
}

// Fonts and painting need a GUI application; the offscreen platform gives one without a
// display, whatever the environment says.
std::unique_ptr<QGuiApplication> makeApplication()
{
    qInstallMessageHandler(dropQtNotes);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kavri-cli";
    static char* argv[] = {name, nullptr};
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    InstallFontSubstitutions();
    return app;
}

} // namespace

QString synopsis()
{
    return QStringLiteral(
               "pdf --template FILE --out FILE.pdf [--width W] [value options of compose]\n"
               "    Writes the certificate as the one A4 page that 导出PDF writes. Without\n"
               "    --width the certificate is composed %1 characters wide, as the main\n"
               "    window's result box holds it.")
        .arg(kResultBoxWidth);
}

int run(const QStringList& args)
{
    QStringList allowed = CliInput::valueOptionNames();
    allowed << QStringLiteral("template") << QStringLiteral("width") << QStringLiteral("out");
    allowed << LegalOptions::valueOptionNames();
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
                                    ? QStringLiteral("'--out' needs a file name")
                                    : QStringLiteral("missing option '--out'"));
    }
    const std::optional<CliInput::TemplateJob> job = CliInput::templateJob(options, &error);
    if (!job) {
        return CliInput::refuse(error);
    }
    CertificateValues values = CliInput::certificateValues(options);
    if (!LegalOptions::completeValues(options, job->templateText, &values, &error)) {
        return CliInput::refuse(error);
    }
    const QString certificate = Compose::ComposeCertificate(job->templateText, values, job->width);

    const std::unique_ptr<QGuiApplication> app = makeApplication();
    if (!ExportCertificatePdf(out, PrintCommands::CertificateBody(certificate), &error)) {
        return CliInput::refuse(QStringLiteral("cannot write '%1': %2").arg(out, error));
    }
    return 0;
}

} // namespace PdfCommand
