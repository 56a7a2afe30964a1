#include "app/CkavriApp.h"

#include "BuildFolderGuard.h"

#include <gtest/gtest.h>

// The main() of the tests of the application object itself (tests/app): the program's own
// CkavriApp, reached there through CkavriApp::instance().
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    CkavriApp app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new BuildFolderGuard);
    return RUN_ALL_TESTS();
}
