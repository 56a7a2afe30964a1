#pragma once

#include <QProcess>
#include <QString>

// Copies of the program started as a desktop starts them, for tests that watch a running copy
// from outside: the copy goes into the folder of a TempLibrary so that it opens that library.

// Copies `program` into `folder`; the copy's path, or an empty string when it could not be made.
QString CopyProgramInto(const QString& program, const QString& folder);

// Starts `program` without arguments on the offscreen platform (no display needed).
void StartOffscreen(QProcess& process, const QString& program);

// True when process `pid` holds `file` open.
bool HoldsOpen(qint64 pid, const QString& file);
