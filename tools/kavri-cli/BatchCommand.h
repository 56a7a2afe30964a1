#pragma once

#include <QString>
#include <QStringList>

// kavri-cli batch: one certificate per row of a sheet (XLSX or CSV).
namespace BatchCommand {

// Exit status when some rows were not written (the others were).
inline constexpr int kSomeRowsNotWritten = 1;

QString synopsis();
int run(const QStringList& args);

} // namespace BatchCommand
