#pragma once

#include "RecordingNotifier.h"
#include "store/CDbVisit.h"
#include "ui/main/CkavriDlg.h"

#include <QString>
#include <gtest/gtest.h>
#include <memory>

// Opens main windows on a library file of the test's choice, with a data-access object and a
// certificate text of the test's own, and closes them afterwards, so that every test starts
// without an open connection.
class MainWindowFixture : public ::testing::Test
{
protected:
    void TearDown() override;

    // A main window initialised on the library file at path.
    CkavriDlg* openWindow(const QString& libraryPath);

    RecordingNotifier m_notifier;
    CDbVisit m_dbVisit;
    QString m_certText;
    std::unique_ptr<CkavriDlg> m_window;
};
