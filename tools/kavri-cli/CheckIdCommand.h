#pragma once

#include <QString>
#include <QStringList>

// kavri-cli check-id NUMBER: the verdict on a resident ID-card number.
namespace CheckIdCommand {

QString synopsis();
int run(const QStringList& args);

} // namespace CheckIdCommand
