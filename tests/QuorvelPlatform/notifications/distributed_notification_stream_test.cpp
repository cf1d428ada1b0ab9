#include "QuorvelPlatform/notifications/distributed_notification_stream.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "QuorvelPlatform/notifications/dbus_notification_poster.hpp"
#include "QuorvelPlatform/notifications/distributed_notification_observer.hpp"
#include "QuorvelShared/support/uuid.hpp"
#include "testkit/qt_wait.hpp"

namespace quorvel {
namespace {

using testkit::runLoopUntil;

std::string uniqueName(const std::string& stem) {
    return "test." + newUuidText() + ".bleBridge-" + stem;
}

// Posts `count` times, then waits until a marker posted after them has come back: the bus keeps
// one sender's order, so by then every earlier post has reached this process.
void postAndSettle(const std::string& name, int count) {
    const auto poster = DBusNotificationPoster::connect();
    const std::string marker = uniqueName("marker");
    bool markerSeen = false;
    DistributedNotificationObserver observer(marker, [&] { markerSeen = true; });
    for (int i = 0; i < count; ++i)
        poster->post(name);
    poster->post(marker);
    ASSERT_TRUE(runLoopUntil([&] { return markerSeen; }));
    testkit::drainLoop();
}

TEST(DistributedNotificationStream, PostsBeforeTheOwnerTakesFoldIntoOneWakeUp) {
    const std::string name = uniqueName("request");
    DistributedNotificationStream stream(name);
    int wakeUps = 0;
    QObject::connect(&stream, &DistributedNotificationStream::available, [&] { ++wakeUps; });

    postAndSettle(name, 10);
    EXPECT_EQ(wakeUps, 1);
    EXPECT_TRUE(stream.take());
    EXPECT_FALSE(stream.take());

    postAndSettle(name, 1);
    EXPECT_EQ(wakeUps, 2);
    EXPECT_TRUE(stream.take());
}

TEST(DistributedNotificationStream, OtherNamesDoNotWakeIt) {
    const std::string name = uniqueName("request");
    DistributedNotificationStream stream(name);
    postAndSettle(uniqueName("response"), 3);
    EXPECT_FALSE(stream.hasPending());
    EXPECT_FALSE(stream.take());
}

TEST(DistributedNotificationStream, FinishEndsItOnceAndDropsTheBufferedWakeUp) {
    const std::string name = uniqueName("request");
    DistributedNotificationStream stream(name);
    int finishedCount = 0;
    int wakeUps = 0;
    QObject::connect(&stream, &DistributedNotificationStream::finished, [&] { ++finishedCount; });
    QObject::connect(&stream, &DistributedNotificationStream::available, [&] { ++wakeUps; });

    DBusNotificationPoster::connect()->post(name);
    stream.finish();
    stream.finish();
    EXPECT_EQ(finishedCount, 1);
    EXPECT_TRUE(stream.isFinished());

    postAndSettle(name, 2);
    EXPECT_EQ(wakeUps, 0);
    EXPECT_FALSE(stream.take());
}

TEST(DistributedNotificationStream, ReleasingItStopsObserving) {
    const std::string name = uniqueName("request");
    auto stream = std::make_unique<DistributedNotificationStream>(name);
    DBusNotificationPoster::connect()->post(name);
    stream.reset();
    postAndSettle(name, 2);  // a delivery to the released stream would crash under the sanitizers
    SUCCEED();
}

}  // namespace
}  // namespace quorvel
