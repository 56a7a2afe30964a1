#pragma once

#include <QDateTime>
#include <QString>
#include <gtest/gtest.h>

// Fails the test program when it made or changed a certificate register (or its key or number
// file) in the build's program folders: beside the build's library a register would be the one
// that a person trying the built kavri then gets, with the tests' leavers in it. A test writes
// only under a temporary folder of its own.
class BuildFolderGuard : public ::testing::Environment
{
public:
    void SetUp() override;
    void TearDown() override;

    // The files watched, and what each was when the program started (empty: absent).
    struct Seen
    {
        QString path;
        qint64 size = -1;
        QDateTime modified;
    };

private:
    QList<Seen> m_before;
};
