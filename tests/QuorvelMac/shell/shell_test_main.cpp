// The main of the shell's tests: a display of the process's own (the tests act as the window
// manager on it), then the Qt widgets application on that display.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "bus/private_bus.hpp"
#include "testkit/x11/private_display.hpp"

int main(int argc, char** argv) {
    const bool listing = quorvel::testkit::isListingTests(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (listing)
        return RUN_ALL_TESTS();
    quorvel::testkit::PrivateDisplay display;
    // The programs these tests start own the application's session-bus name and post the shared
    // notifications: a session bus of the process's own keeps them apart from every other test.
    const quorvel::testing::PrivateBus sessionBus(quorvel::testing::PrivateBus::Kind::session,
                                                  {.serviceFolders = {}, .endsWithProcess = true});
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    int status = 0;
    {
        QApplication app(argc, argv);
        status = RUN_ALL_TESTS();
    }
    return status;
}
