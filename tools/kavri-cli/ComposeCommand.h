#pragma once

#include <QStringList>

// kavri-cli compose --template FILE --width W [value options]: the certificate exactly as the
// composer returns it.
namespace ComposeCommand {
QString synopsis();
int run(const QStringList& args);
} // namespace ComposeCommand
