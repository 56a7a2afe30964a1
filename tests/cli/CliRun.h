#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

// What a test may set for a run of kavri-cli beyond its arguments.
struct CliSetup
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QByteArray input;      // what stdin holds; it is closed after it either way
    int timeoutMs = 30000; // a batch of many rows takes longer
};

// The built kavri-cli run as a script would run it: its exit status and its raw output bytes.
struct CliRun
{
    int status = -1;
    QByteArray out;
    QByteArray err;

    // kavri-cli writes UTF-8.
    QString outText() const { return QString::fromUtf8(out); }
    QString errText() const { return QString::fromUtf8(err); }
};

inline CliRun runCli(const QStringList& args, const CliSetup& setup = {})
{
    QProcess process;
    process.setProcessEnvironment(setup.environment);
    process.start(QStringLiteral(KAVRI_CLI_PATH), args);
    process.write(setup.input);
    process.closeWriteChannel();
    CliRun run;
    if (!process.waitForFinished(setup.timeoutMs) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "kavri-cli did not finish normally";
        return run;
    }
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}
