#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

// The built kavri-cli run as a script would run it: its exit status and its raw output bytes.
struct CliRun
{
    int status = -1;
    QByteArray out;
    QByteArray err;

    // What kavri-cli writes, read as the UTF-8 it is.
    QString outText() const { return QString::fromUtf8(out); }
    QString errText() const { return QString::fromUtf8(err); }
};

// `input` goes to its standard input; `environment` is the one it runs in (the test's own
// XDG_CONFIG_HOME, say).
inline CliRun
runCli(const QStringList& args, const QByteArray& input = {},
       const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KAVRI_CLI_PATH), args);
    process.write(input);
    process.closeWriteChannel();
    CliRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "kavri-cli did not finish normally";
        return run;
    }
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// The environment of this process with the user's configuration folder at `configHome`, where
// kavri-cli looks for kavri/kavri.conf.
inline QProcessEnvironment withConfigHome(const QString& configHome)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    return environment;
}
