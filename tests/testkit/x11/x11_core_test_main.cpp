// The main of test programs that watch X windows without drawing any: a display of the
// process's own, then the Qt core application.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "testkit/x11/private_display.hpp"

int main(int argc, char** argv) {
    const bool listing = quorvel::testkit::isListingTests(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    std::unique_ptr<quorvel::testkit::PrivateDisplay> display;
    if (!listing) {
        display = std::make_unique<quorvel::testkit::PrivateDisplay>();
    }
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
