#include "ui/common/ApplicationSetup.h"
#include "ui/common/MessageStoreFeedback.h"

#include <QApplication>
#include "BuildFolderGuard.h"

#include <gtest/gtest.h>

// The main() of tests that build windows and rooms by themselves: a plain QApplication set up as
// the program sets up its own (name, faces, Chinese texts), and the store's failures shown as
// notices, where RecordingNotifier reads them. No application object of the program exists:
// windows under test get their data-access object and certificate text from the test.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    SetUpApplication(app);
    MessageStoreFeedback storeFeedback;
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new BuildFolderGuard);
    return RUN_ALL_TESTS();
}
