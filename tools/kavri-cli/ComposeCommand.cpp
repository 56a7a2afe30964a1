#include "ComposeCommand.h"

#include "CliInput.h"
#include "CliOptions.h"
#include "LegalOptions.h"
#include "issue/CertificateIssuer.h"

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

std::optional<QString> certificate(const CliOptions& options, QString* error,
                                   std::optional<int> defaultWidth)
{
    std::optional<Composed> composed = compose(options, error, defaultWidth);
    return composed ? std::optional<QString>(composed->text) : std::nullopt;
}

std::optional<Composed> compose(const CliOptions& options, QString* error,
                                std::optional<int> defaultWidth)
{
    const std::optional<CliInput::TemplateJob> job =
        CliInput::templateJob(options, error, defaultWidth);
    if (!job) {
        return std::nullopt;
    }
    Issue::Request request;
    request.templateText = job->templateText;
    request.fields = CliInput::fieldValues(options);
    if (!CliInput::checkValueCharacters(options, error)) {
        return std::nullopt;
    }
    if (!LegalOptions::completeDates(options, job->templateText, &request.dates, error)) {
        return std::nullopt;
    }
    // Made as every certificate is made, without a register: nothing numbered or recorded.
    Issue::CertificateIssuer issuer;
    issuer.setRegisterUse(Issue::RegisterUse::None);
    const Issue::Issued issued = issuer.issue(request, job->width);
    if (!issued.made()) {
        *error = issued.problems.join(QStringLiteral("；"));
        return std::nullopt;
    }
    return Composed{issued.text,
                    Issue::SealSubject{request.templateText, issued.values, request.dates.issued}};
}

int run(const QStringList& args)
{
    CliOptions options(optionNames(), LegalOptions::flagNames());
    if (const std::optional<int> end = options.parse(args, synopsis())) {
        return *end;
    }
    QString error;
    const std::optional<QString> text = certificate(options, &error);
    if (!text) {
        return CliInput::refuse(error);
    }
    return CliInput::writeResult(*text) ? 0 : 1;
}

} // namespace ComposeCommand
