#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

// The built kavri-cli run as a script would run it: its exit status and its raw output bytes.
struct CliRun
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

inline CliRun runCli(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(KAVRI_CLI_PATH), args);
    CliRun run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "kavri-cli did not finish normally";
        return run;
    }
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}
