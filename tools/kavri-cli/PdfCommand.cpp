#include "PdfCommand.h"

#include "CliApplication.h"
#include "CliInput.h"
#include "CliOptions.h"
#include "ComposeCommand.h"
#include "LegalOptions.h"
#include "issue/CertificateIssuer.h"
#include "issue/StagedFile.h"
#include "legal/WordingCheck.h"
#include "print/CertificateBody.h"
#include "print/CertificateOfdExport.h"
#include "print/CertificatePdfExport.h"
#include "register/RegisterFiles.h"
#include "seal/SealFiles.h"
#include "store/LibraryFilePath.h"

#include <QFile>
#include <memory>

namespace PdfCommand {

QString synopsis()
{
    return QStringLiteral(
               "pdf --template FILE --out FILE.pdf|FILE.ofd [--width W] [--register FILE]\n"
               "    [value options of compose]\n"
               "    Writes the certificate as the one A4 page that 导出PDF writes, as PDF, or as\n"
               "    OFD (GB/T 33190) when FILE ends in .ofd. Without --width the certificate is\n"
               "    composed %1 characters wide, as the main window's result box holds it.\n"
               "    A template with 【查验码】 gets its QR code signed with the key beside the\n"
               "    register (--register, else the one beside the library file).\n"
               "    Phrases of the office's wording list (~/.config/kavri/wording.txt) found in\n"
               "    the certificate are said on stderr, each in its context; the file is\n"
               "    written all the same.")
        .arg(kResultBoxWidth);
}

int run(const QStringList& args)
{
    CliOptions options(ComposeCommand::optionNames()
                           << QStringLiteral("out") << QStringLiteral("register"),
                       LegalOptions::flagNames());
    if (const std::optional<int> end = options.parse(args, synopsis())) {
        return *end;
    }
    QString error;
    const QString out = options.value(QStringLiteral("out"));
    if (out.isEmpty()) {
        return CliInput::refuse(options.has(QStringLiteral("out"))
                                    ? QStringLiteral("选项“--out”缺少文件名")
                                    : CliInput::missingOption(QStringLiteral("out")));
    }
    const std::optional<ComposeCommand::Composed> composed =
        ComposeCommand::compose(options, &error, kResultBoxWidth);
    if (!composed) {
        return CliInput::refuse(error);
    }
    const std::unique_ptr<QGuiApplication> app = CliApplication::offscreen();
    const QString& certificate = composed->text;
    // Out of kavri the way every certificate leaves, unrecorded: this command has no register.
    // Signed first, with the text as it leaves, when the template asks for the QR code.
    Issue::CertificateIssuer issuer;
    issuer.setRegisterUse(Issue::RegisterUse::None);
    issuer.useSealKeyFile(Seal::sealKeyPathBeside(
        options.has(QStringLiteral("register"))
            ? options.value(QStringLiteral("register"))
            : Register::registerPathBeside(DefaultLibraryFilePath())));
    const Issue::Sealed sealed = issuer.seal(composed->subject, certificate);
    if (sealed.failed()) {
        return CliInput::refuse(sealed.error);
    }

    const auto cannotWrite = [&out](const QString& why) {
        return CliInput::refuse(
            QStringLiteral("无法写入“%1”（%2）").arg(out, CliInput::whyNotWritten(out, why)));
    };
    StagedFile file(out);
    const QString body = CertificateBody(certificate);
    const bool ofd = out.endsWith(QStringLiteral(".ofd"), Qt::CaseInsensitive);
    const bool written =
        ofd ? file.writeAt(
                  [&](const QString& path, QString* why) {
                      return ExportCertificateOfd(
                          path, body,
                          CertificateOfdInfo{options.value(QStringLiteral("company")), {}, {}},
                          why, sealed.code);
                  },
                  &error)
            : file.write(
                  [&](QFile& device, QString* why) {
                      return WriteCertificatePdf(&device, body, why, sealed.code);
                  },
                  &error);
    if (!written) {
        return cannotWrite(error);
    }
    const Issue::Left left = issuer.leave(
        0, ofd ? Issue::LeavingKind::Ofd : Issue::LeavingKind::Pdf, certificate, &file);
    if (!left) {
        return cannotWrite(left.reason.isEmpty() ? left.error : left.reason);
    }
    // No question on a command line: the wording check's hits are said, the file stays.
    QString listError;
    const QStringList hits = Legal::wordingLines(Legal::checkWording(
        certificate, Legal::loadWordingList(Legal::wordingListPath(), &listError)));
    if (!listError.isEmpty()) {
        CliInput::say(listError);
    }
    if (!hits.isEmpty()) {
        CliInput::say(QStringLiteral("措辞提示（新单位可能读作过错或争议，已照写）："));
        for (const QString& hit : hits) {
            CliInput::say(hit);
        }
    }
    return 0;
}

} // namespace PdfCommand
