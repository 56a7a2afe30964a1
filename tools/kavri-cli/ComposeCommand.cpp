#include "ComposeCommand.h"

#include "CliInput.h"
#include "CliOptions.h"
#include "LegalOptions.h"
#include "compose/CertificateComposer.h"

namespace ComposeCommand {

QString synopsis()
{
    return QStringLiteral(
        "compose --template FILE --width W [--name V] [--gender V] [--id V] [--company V]\n"
        "        [--department V] [--position V] [--joined V] [--left V] [--reason V]\n"
        "        [--contract-start D] [--contract-end D | --open-ended] [--issued D]\n"
        "    Prints the certificate for the template FILE in a box W characters wide.\n"
        "    --joined and --left are trimmed like date picker texts, --reason like a reason\n"
        "    entry; a value not given is empty. D is 2021-03-01 or 2021年3月1日. 【合同期限】\n"
        "    comes from the contract dates, 【工作年限】 from --joined and --left (then dates),\n"
        "    【出具日期】 from --issued (default today).");
}

QStringList optionNames()
{
    return CliInput::valueOptionNames() +
           QStringList{QStringLiteral("template"), QStringLiteral("width")} +
           LegalOptions::valueOptionNames();
}

std::optional<QString> certificate(const CliOptions& options, QString* error)
{
    const std::optional<CliInput::TemplateJob> job = CliInput::templateJob(options, error);
    if (!job) {
        return std::nullopt;
    }
    CertificateValues values = CliInput::certificateValues(options);
    if (!CliInput::checkValueCharacters(options, error)) {
        return std::nullopt;
    }
    if (!LegalOptions::completeValues(options, job->templateText, &values, error)) {
        return std::nullopt;
    }
    return Compose::ComposeCertificate(job->templateText, values, job->width);
}

int run(const QStringList& args)
{
    CliOptions options;
    QString error;
    if (!options.parse(args, optionNames(), &error, LegalOptions::flagNames())) {
        return CliInput::refuse(error);
    }
    const std::optional<QString> text = certificate(options, &error);
    if (!text) {
        return CliInput::refuse(error);
    }
    return CliInput::writeResult(*text) ? 0 : 1;
}

} // namespace ComposeCommand
