// The main of the journeys: a desktop session of the process's own (display, session bus with
// the accessibility bus, keyring), then the Qt application object the test side runs its fake
// bluetoothd, its phone and its waits on.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "QuorvelPlatform/notifications/dbus_notification_poster.hpp"
#include "journey_desktop.hpp"

int main(int argc, char** argv) {
    const bool listing = quorvel::testkit::isListingTests(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (listing)
        return RUN_ALL_TESTS();
    quorvel::journeytest::JourneyDesktop desktop;
    QCoreApplication app(argc, argv);
    quorvel::installDBusNotificationPoster();
    return RUN_ALL_TESTS();
}
