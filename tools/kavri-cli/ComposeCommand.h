#pragma once

#include "issue/CertificateIssuer.h"

#include <QString>
#include <QStringList>
#include <optional>

class CliOptions;

// kavri-cli compose --template FILE --width W [value options]: the certificate exactly as the
// composer returns it.
namespace ComposeCommand {
QString synopsis();
int run(const QStringList& args);

// The value options compose takes, for the commands that take them too.
QStringList optionNames();
// The certificate that the parsed options describe, as compose prints it; nullopt with `error`
// set for what compose refuses. Without --width, `defaultWidth` when given, else refused.
std::optional<QString> certificate(const CliOptions& options, QString* error,
                                   std::optional<int> defaultWidth = std::nullopt);
// The same certificate with what it is signed from when its template asks for a QR code.
struct Composed
{
    QString text;
    Issue::SealSubject subject;
};
std::optional<Composed> compose(const CliOptions& options, QString* error,
                                std::optional<int> defaultWidth = std::nullopt);
} // namespace ComposeCommand
