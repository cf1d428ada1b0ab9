// The main of the screenshot tests: a widget application on an Xvfb display of the process's
// own, so the pictures are what a person would see, fonts and all, and no window manager or
// window of a test running beside them gets in the way.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

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
