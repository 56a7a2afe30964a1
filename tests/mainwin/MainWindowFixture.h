#pragma once

#include "RecordingNotifier.h"
#include "ui/main/CkavriDlg.h"

#include <QString>
#include <gtest/gtest.h>
#include <memory>

// Opens main windows on a library file of the test's choice and closes them afterwards, so
// that every test starts from an application without an open connection.
class MainWindowFixture : public ::testing::Test
{
protected:
    void TearDown() override;

    // A main window initialised on the library file at path.
    CkavriDlg* openWindow(const QString& libraryPath);

    RecordingNotifier m_notifier;
    std::unique_ptr<CkavriDlg> m_window;
};
