#include "PreviewCommand.h"

#include "CliInput.h"
#include "CliOptions.h"
#include "LegalOptions.h"
#include "compose/CertificateComposer.h"

namespace PreviewCommand {

QString synopsis()
{
    return QStringLiteral("preview --template FILE --width W [--contract-start D]\n"
                          "        [--contract-end D | --open-ended] [--issued D]\n"
                          "    Prints the template preview for a box W characters wide. The\n"
                          "    contract and issue dates are checked like compose's; the preview\n"
                          "    shows blanks whatever they are.");
}

int run(const QStringList& args)
{
    CliOptions options(QStringList{QStringLiteral("template"), QStringLiteral("width")} +
                           LegalOptions::valueOptionNames(),
                       LegalOptions::flagNames());
    if (const std::optional<int> end = options.parse(args, synopsis())) {
        return *end;
    }
    QString error;
    const std::optional<CliInput::TemplateJob> job = CliInput::templateJob(options, &error);
    if (!job) {
        return CliInput::refuse(error);
    }
    Legal::LegalDates unused;
    if (!LegalOptions::completeDates(options, job->templateText, &unused, &error)) {
        return CliInput::refuse(error);
    }
    return CliInput::writeResult(Compose::RenderTemplatePreview(job->templateText, job->width)) ? 0
                                                                                                : 1;
}

} // namespace PreviewCommand
