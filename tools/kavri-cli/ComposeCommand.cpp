#include "ComposeCommand.h"

#include "CliInput.h"
#include "CliOptions.h"
#include "compose/CertificateComposer.h"

#include <cstdio>

namespace ComposeCommand {

QString synopsis()
{
    return QStringLiteral(
        "compose --template FILE --width W [--name V] [--gender V] [--id V] [--company V]\n"
        "        [--department V] [--position V] [--joined V] [--left V] [--reason V]\n"
        "    Prints the certificate for the template FILE in a box W characters wide.\n"
        "    --joined and --left are trimmed like date picker texts, --reason like a reason\n"
        "    entry; a value not given is empty.");
}

int run(const QStringList& args)
{
    CliOptions options;
    QString error;
    QStringList allowed = CliInput::valueOptionNames();
    allowed << QStringLiteral("template") << QStringLiteral("width");
    if (!options.parse(args, allowed, &error)) {
        return CliInput::refuse(error);
    }
    const std::optional<CliInput::TemplateJob> job = CliInput::templateJob(options, &error);
    if (!job) {
        return CliInput::refuse(error);
    }
    const QString certificate = Compose::ComposeCertificate(
        job->templateText, CliInput::certificateValues(options), job->width);
    if (!CliInput::writeResult(certificate)) {
        std::perror("kavri-cli: cannot write the certificate");
        return 1;
    }
    return 0;
}

} // namespace ComposeCommand
