// The main of the shell's tests: a display of the process's own (the tests act as the window
// manager on it), then the Qt widgets application on that display.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "testkit/x11/private_display.hpp"

int main(int argc, char** argv) {
    const bool listing = quorvel::testkit::isListingTests(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (listing) return RUN_ALL_TESTS();
    quorvel::testkit::PrivateDisplay display;
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
