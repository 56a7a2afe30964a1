#pragma once

#include <QString>

class PgConnection;

// Copies a local register file up to a team server whose register is still empty: every entry
// with its number, time, operator, template, form values, every version and every event. The
// server's counter of each year goes on above the highest number copied (and above the file's
// own high-water mark), so that no number the desk ever gave is given again.
namespace Register::PgRegisterImport {

struct Result
{
    qint64 entries = 0;
    QString error;
};

// Runs inside a transaction the caller has opened and then commits; on failure the
// transaction is rolled back and result.error says why.
bool copyRegister(PgConnection& server, const QString& registerFile, Result& result);

} // namespace Register::PgRegisterImport
