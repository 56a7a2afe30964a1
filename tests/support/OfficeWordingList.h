#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The user's configuration folder pointed at a fresh one for its lifetime, so that the wording
// check reads the office's list the test writes (or, without one, kavri's own) and never the
// list of whoever runs the tests. The old folder is put back afterwards.
class OfficeWordingList
{
public:
    OfficeWordingList() : m_old(qgetenv("XDG_CONFIG_HOME"))
    {
        EXPECT_TRUE(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
    }
    ~OfficeWordingList()
    {
        if (m_old.isNull()) {
            qunsetenv("XDG_CONFIG_HOME");
        } else {
            qputenv("XDG_CONFIG_HOME", m_old);
        }
    }
    OfficeWordingList(const OfficeWordingList&) = delete;
    OfficeWordingList& operator=(const OfficeWordingList&) = delete;

    // The configuration folder, for a program started with it.
    QString configHome() const { return m_dir.path(); }

    // The office's own list, one phrase a line, where kavri looks for it.
    void write(const QString& phrases) const
    {
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("kavri")));
        QFile file(m_dir.filePath(QStringLiteral("kavri/wording.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(phrases.toUtf8());
    }

private:
    QByteArray m_old;
    QTemporaryDir m_dir;
};
