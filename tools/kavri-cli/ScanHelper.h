#pragma once

#include <QString>
#include <QStringList>

// verify-scan runs in a program of its own, kavri-cli-scan, which lies beside kavri-cli: reading
// scans and PDF pages needs Qt PDF and ZXing (and what they bring), which every other command
// would otherwise load at each start without using them.
namespace ScanHelper {

inline constexpr const char* kProgramName = "kavri-cli-scan";

// The helper's path: beside this program.
QString helperPath();

// Replaces this process by kavri-cli-scan with verify-scan's arguments, so that its output and
// exit status are the command's. Returns only when the helper cannot be started: the reason is
// said and verify-scan's status for a scan that could not be read comes back.
int runVerifyScan(const QStringList& args);

} // namespace ScanHelper
