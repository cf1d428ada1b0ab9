// The main of the journeys: a desktop session of the process's own (session bus with the keyring
// and, unless the journeys have no screen, a display and the accessibility bus), then the Qt
// application object the test side runs its fake bluetoothd, its phone and its waits on.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "QuorvelPlatform/notifications/dbus_notification_poster.hpp"
#include "journey_desktop.hpp"

int main(int argc, char** argv) {
    const bool listing = quorvel::testkit::isListingTests(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (listing)
        return RUN_ALL_TESTS();
#ifdef QUORVEL_JOURNEY_WITHOUT_SCREEN
    quorvel::journeytest::JourneyDesktop desktop(
        quorvel::journeytest::JourneyDesktop::Screen::none);
#else
    quorvel::journeytest::JourneyDesktop desktop;
#endif
    QCoreApplication app(argc, argv);
    quorvel::installDBusNotificationPoster();
    return RUN_ALL_TESTS();
}
