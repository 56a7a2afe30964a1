#pragma once

#include <QString>
#include <QTemporaryDir>

// A private copy of the delivered library file in a fresh temporary folder, removed with the
// object. Tests work on the copy, never on the file beside the build's executables. A folder
// name may be given (spaces and Chinese welcome) to put the copy one level further down.
class TempLibrary
{
public:
    explicit TempLibrary(const QString& folderName = QString());

    bool isValid() const { return !m_path.isEmpty(); }
    // The full path of the copy.
    const QString& path() const { return m_path; }
    // The folder that holds the copy.
    QString dirPath() const;

    // The delivered library file that the copies are made from.
    static QString deliveredFile();

private:
    QTemporaryDir m_dir;
    QString m_path;
};
