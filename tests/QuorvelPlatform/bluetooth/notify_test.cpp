// Subscriptions through AcquireNotify and the frames that reach the phone.
#include <gtest/gtest.h>

#include "QuorvelShared/messages/ble_local_prototype_chunk.hpp"
#include "QuorvelShared/support/uuid.hpp"
#include "bluez_test_support.hpp"

namespace quorvel::testing {
namespace {

const QString phoneA = QStringLiteral("/org/bluez/hci0/dev_AA_BB_CC_DD_EE_01");
const QString phoneB = QStringLiteral("/org/bluez/hci0/dev_AA_BB_CC_DD_EE_02");

class NotifyTest : public BlueZFixture {
protected:
    void SetUp() override {
        BlueZFixture::SetUp();
        ASSERT_TRUE(waitForPublication());
    }
    bool subscribe(SimulatedPhone& phone) {
        const std::size_t before = delegate.subscribed.size();
        phone.subscribe();
        return testkit::runLoopUntil(
            [&] { return phone.subscribed() && delegate.subscribed.size() > before; });
    }
    // Sends every frame, waiting for room whenever the socket is full.
    void sendAll(const std::vector<Bytes>& frames, const std::vector<std::string>& centrals) {
        for (const Bytes& frame : frames) {
            while (!peripheral->updateValue(frame, centrals)) {
                const int ready = delegate.readyCount;
                ASSERT_TRUE(testkit::runLoopUntil([&] { return delegate.readyCount > ready; }));
            }
        }
    }
};

TEST_F(NotifyTest, SubscriptionNamesTheDeviceAndItsFrameSize) {
    SimulatedPhone phone(*bluez, phoneA, 185);
    ASSERT_TRUE(subscribe(phone));
    ASSERT_EQ(delegate.subscribed.size(), 1u);
    EXPECT_EQ(delegate.subscribed[0], (SubscribedCentral{phoneA.toStdString(), 182}));
    EXPECT_TRUE(bluez->problems().isEmpty()) << bluez->problems().join("; ").toStdString();
}

TEST_F(NotifyTest, FramesOfMtuMinusThreeReassembleToTheSentMessage) {
    SimulatedPhone phone(*bluez, phoneA, 185);
    ASSERT_TRUE(subscribe(phone));
    const std::int64_t frameSize = delegate.subscribed[0].maximumUpdateValueLength;
    Bytes message;
    for (int i = 0; i < 3000; ++i)
        message.push_back(static_cast<std::uint8_t>(i * 7));
    const auto frames = BLELocalPrototypeChunkCodec::frames(message, frameSize, Uuid::random());
    sendAll(frames, {phoneA.toStdString()});
    ASSERT_TRUE(testkit::runLoopUntil([&] { return phone.messages().size() == 1; }));
    EXPECT_EQ(phone.messages()[0], message);
    EXPECT_EQ(phone.frames().size(), frames.size());
    for (const Bytes& frame : phone.frames())
        EXPECT_LE(frame.size(), 182u);
    EXPECT_EQ(phone.frameErrors(), 0);
}

TEST_F(NotifyTest, AFullSocketRefusesTheFrameUntilThereIsRoom) {
    SimulatedPhone phone(*bluez, phoneA, 185);
    ASSERT_TRUE(subscribe(phone));
    // Without the event loop nobody drains the socket: it fills up and refuses.
    const Bytes frame(182, 0x5A);
    int sent = 0;
    while (peripheral->updateValue(frame, {phoneA.toStdString()})) {
        ASSERT_LT(++sent, 100000);
    }
    ASSERT_GT(sent, 0);
    ASSERT_TRUE(testkit::runLoopUntil([&] { return delegate.readyCount == 1; }));
    ASSERT_TRUE(testkit::runLoopUntil(
        [&] { return phone.frames().size() == static_cast<std::size_t>(sent); }));
    EXPECT_TRUE(peripheral->updateValue(frame, {phoneA.toStdString()}));
    ASSERT_TRUE(testkit::runLoopUntil(
        [&] { return phone.frames().size() == static_cast<std::size_t>(sent + 1); }));
}

TEST_F(NotifyTest, ClosedSocketIsAnUnsubscription) {
    SimulatedPhone phone(*bluez, phoneA, 185);
    ASSERT_TRUE(subscribe(phone));
    phone.unsubscribe();
    ASSERT_TRUE(testkit::runLoopUntil([&] { return delegate.unsubscribed.size() == 1; }));
    EXPECT_EQ(delegate.unsubscribed[0], phoneA.toStdString());
    // The central is gone: a frame for it is skipped, not refused.
    EXPECT_TRUE(peripheral->updateValue(Bytes(30, 1), {phoneA.toStdString()}));
    // Subscribing again acquires afresh.
    ASSERT_TRUE(subscribe(phone));
    EXPECT_EQ(bluez->acquireCalls(), 2);
}

TEST_F(NotifyTest, OurEndStaysOpenWhileSubscribed) {
    SimulatedPhone phone(*bluez, phoneA, 185);
    ASSERT_TRUE(subscribe(phone));
    EXPECT_TRUE(peripheral->updateValue(Bytes(40, 2), {phoneA.toStdString()}));
    ASSERT_TRUE(testkit::runLoopUntil([&] { return phone.frames().size() == 1; }));
    // Closing ours would leave the phone subscribed with dead notifications.
    EXPECT_FALSE(bluez->linkOf(phoneA)->peerHungUp());
    EXPECT_TRUE(bluez->linkOf(phoneA)->isOpen());
}

TEST_F(NotifyTest, OneSharedSocketServesEveryPhone) {
    bluez->sharedNotifySocket = true;  // bluetoothd 5.66
    SimulatedPhone first(*bluez, phoneA, 185);
    SimulatedPhone second(*bluez, phoneB, 100);
    ASSERT_TRUE(subscribe(first));
    second.subscribe();
    ASSERT_TRUE(testkit::runLoopUntil([&] { return second.subscribed(); }));
    EXPECT_EQ(bluez->acquireCalls(), 1);
    ASSERT_EQ(delegate.subscribed.size(), 1u);
    EXPECT_TRUE(peripheral->updateValue(Bytes(60, 3), {phoneA.toStdString()}));
    ASSERT_TRUE(testkit::runLoopUntil(
        [&] { return first.frames().size() == 1 && second.frames().size() == 1; }));
    // The socket ends only when the last phone lets go.
    first.unsubscribe();
    EXPECT_TRUE(peripheral->updateValue(Bytes(60, 4), {phoneA.toStdString()}));
    ASSERT_TRUE(testkit::runLoopUntil([&] { return second.frames().size() == 2; }));
    EXPECT_TRUE(delegate.unsubscribed.empty());
    second.unsubscribe();
    ASSERT_TRUE(testkit::runLoopUntil([&] { return delegate.unsubscribed.size() == 1; }));
}

TEST_F(NotifyTest, OneSocketPerPhoneWithLaterBlueZ) {
    bluez->sharedNotifySocket = false;
    SimulatedPhone first(*bluez, phoneA, 185);
    SimulatedPhone second(*bluez, phoneB, 100);
    ASSERT_TRUE(subscribe(first));
    ASSERT_TRUE(subscribe(second));
    EXPECT_EQ(bluez->acquireCalls(), 2);
    EXPECT_EQ(delegate.subscribed[1], (SubscribedCentral{phoneB.toStdString(), 97}));
    EXPECT_TRUE(peripheral->updateValue(Bytes(90, 5), {phoneB.toStdString()}));
    EXPECT_TRUE(
        peripheral->updateValue(Bytes(50, 6), {phoneA.toStdString(), phoneB.toStdString()}));
    ASSERT_TRUE(testkit::runLoopUntil(
        [&] { return first.frames().size() == 1 && second.frames().size() == 2; }));
    EXPECT_EQ(first.frames()[0], Bytes(50, 6));
    first.unsubscribe();
    ASSERT_TRUE(testkit::runLoopUntil([&] { return delegate.unsubscribed.size() == 1; }));
    EXPECT_EQ(delegate.unsubscribed[0], phoneA.toStdString());
    EXPECT_TRUE(peripheral->updateValue(Bytes(50, 7), {phoneB.toStdString()}));
    ASSERT_TRUE(testkit::runLoopUntil([&] { return second.frames().size() == 3; }));
}

TEST_F(NotifyTest, RemovingTheServiceEndsSubscriptionsWithoutCallbacks) {
    SimulatedPhone phone(*bluez, phoneA, 185);
    ASSERT_TRUE(subscribe(phone));
    peripheral->removeAllServices();
    ASSERT_TRUE(testkit::runLoopUntil([&] { return bluez->linkOf(phoneA)->peerHungUp(); }));
    testkit::runLoopUntil([] { return false; }, 200);
    EXPECT_TRUE(delegate.unsubscribed.empty());
}

}  // namespace
}  // namespace quorvel::testing
