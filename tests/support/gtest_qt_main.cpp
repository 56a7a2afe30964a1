#include "app/CkavriApp.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The program's own application object: its name captions the application's message box,
    // and it shows the store's failures through the notifier, where RecordingNotifier reads
    // them. Windows under test get their data-access object from the test.
    CkavriApp app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
