#pragma once

#include <QStringList>

// kavri-cli preview --template FILE --width W: the template preview with its blanks.
namespace PreviewCommand {
QString synopsis();
int run(const QStringList& args);
} // namespace PreviewCommand
