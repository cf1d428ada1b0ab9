// The main of the screenshot tests: a widget application on an Xvfb display of the process's
// own, so the pictures are what a person would see, fonts and all, and no window manager or
// window of a test running beside them gets in the way. The screen holds the main window whole
// at twice the scale (QT_SCALE_FACTOR, read when the application starts).
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "testkit/x11/private_display.hpp"

int main(int argc, char** argv) {
    const bool listing = quorvel::testkit::isListingTests(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (listing)
        return RUN_ALL_TESTS();
    quorvel::testkit::PrivateDisplay display("2560x1600");
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
