#include "PreviewCommand.h"

#include "CliInput.h"
#include "CliOptions.h"
#include "compose/CertificateComposer.h"

#include <cstdio>

namespace PreviewCommand {

QString synopsis()
{
    return QStringLiteral("preview --template FILE --width W\n"
                          "    Prints the template preview for a box W characters wide.");
}

int run(const QStringList& args)
{
    CliOptions options;
    QString error;
    if (!options.parse(args, {QStringLiteral("template"), QStringLiteral("width")}, &error)) {
        return CliInput::refuse(error);
    }
    const std::optional<CliInput::TemplateJob> job = CliInput::templateJob(options, &error);
    if (!job) {
        return CliInput::refuse(error);
    }
    if (!CliInput::writeResult(Compose::RenderTemplatePreview(job->templateText, job->width))) {
        std::perror("kavri-cli: cannot write the preview");
        return 1;
    }
    return 0;
}

} // namespace PreviewCommand
