#pragma once

#include <QString>
#include <QStringList>

// "kavri-cli server init" and "kavri-cli server import": the administrator's set-up of a team
// library on a PostgreSQL server.
namespace ServerCommand {

QString synopsis();
int run(const QStringList& args);

} // namespace ServerCommand
