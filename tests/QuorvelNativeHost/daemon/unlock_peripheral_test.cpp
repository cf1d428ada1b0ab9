#include <gtest/gtest.h>

#include "daemon_test_support.hpp"

namespace quorvel::daemon::testing {
namespace {

using bluetooth::AdapterState;

Message unlockRequest(const std::string& id) {
    Message message = messageOf(Kind::unlockRequest, id);
    message.encryptedContext = "sealed-" + id;
    return message;
}

TEST_F(PeripheralTest, PublishesTheServiceAndAdvertisesItsUuidWhenPoweredOn) {
    start("mac-1");
    const std::string expected = BLELocalAdvertisementIdentity::serviceUUID("mac-1");
    ASSERT_TRUE(fake.published);
    EXPECT_EQ(fake.published->serviceUUID, expected);
    EXPECT_EQ(fake.published->notifyCharacteristicUUID, notifyUUID);
    EXPECT_EQ(fake.published->writeCharacteristicUUID, writeUUID);
    EXPECT_EQ(fake.advertisedServiceUUID, expected);
    EXPECT_EQ(statusFile()->status, BluetoothLinkState::advertising);
    EXPECT_EQ(statusFile()->detail, "iPhoneを待っています");
}

TEST_F(PeripheralTest, AdapterStateTable) {
    start();
    const struct {
        AdapterState state;
        BluetoothLinkState status;
        std::string detail;
        bool failsRequests;
    } cases[] = {
        {AdapterState::unknown, BluetoothLinkState::starting, "Bluetoothの状態を確認中", false},
        {AdapterState::resetting, BluetoothLinkState::starting, "Bluetoothを再準備中", false},
        {AdapterState::unsupported, BluetoothLinkState::unsupported,
         "このMacはBluetooth LEに対応していません", true},
        {AdapterState::unauthorized, BluetoothLinkState::unauthorized,
         "MacでBluetoothが許可されていません", true},
        {AdapterState::poweredOff, BluetoothLinkState::off, "MacのBluetoothがオフです", true},
    };
    for (const auto& c : cases) {
        UnlockWaiter waiter;
        peripheral->requestUnlock(unlockRequest("r"), 600, waiter.completion());
        poster.clear();
        fake.setState(c.state);
        EXPECT_EQ(statusFile()->status, c.status);
        EXPECT_EQ(statusFile()->detail, c.detail);
        EXPECT_EQ(peripheral->snapshot().status, c.status);
        EXPECT_EQ(poster.posted(),
                  std::vector<std::string>{"app.quorvel.bleBridge.connectionChanged"});
        EXPECT_EQ(waiter.done(), c.failsRequests) << BluetoothLinkStatus(c.status).word();
        if (c.failsRequests) {
            EXPECT_EQ(waiter.failure(), "bluetooth_unavailable");
            EXPECT_FALSE(peripheral->isPending("r"));
            EXPECT_TRUE(peripheral->deliveryRecoveryState().activeMessages().empty());
        } else {
            EXPECT_TRUE(peripheral->isPending("r"));
            fake.setState(AdapterState::poweredOff);  // ends the request before the next row
        }
        fake.setState(AdapterState::poweredOn);
        ASSERT_TRUE(runLoopUntil(
            [&] { return peripheral->snapshot().status == BluetoothLinkState::advertising; }));
    }
}

TEST_F(PeripheralTest, ASubscriptionSendsRefreshOfferQueuedThenUndeliveredUnlocks) {
    start("mac-1");
    Message offer = messageOf(Kind::pairingOffer, "event_1");
    offer.pairingSessionId = "pair_1";
    peripheral->send(offer);
    peripheral->send(messageOf(Kind::targetSyncReceipt, "sync-1"));
    UnlockWaiter waiter;
    peripheral->requestUnlock(unlockRequest("req-1"), 600, waiter.completion());
    EXPECT_EQ(peripheral->snapshot().status, BluetoothLinkState::waiting);
    EXPECT_EQ(peripheral->snapshot().detail, "iPhoneアプリまたはBluetooth接続を待っています");
    EXPECT_TRUE(fake.sent.empty());
    EXPECT_EQ(peripheral->latestPairingOffer(), offer);
    EXPECT_EQ(peripheral->queuedMessages().size(), 1u);

    subscribe();
    EXPECT_EQ(peripheral->snapshot().status, BluetoothLinkState::connected);
    EXPECT_EQ(peripheral->snapshot().detail,
              "iPhoneからのBluetooth応答履歴あり。現在の到達は解除申請の送信時に確認します");
    const auto sent = messagesSent(fake);
    ASSERT_EQ(kindsOf(sent), (std::vector<Kind>{Kind::stateRefreshRequest, Kind::pairingOffer,
                                                Kind::targetSyncReceipt, Kind::unlockRequest}));
    EXPECT_EQ(sent[0].requestId->rfind("state_refresh_", 0), 0u);
    const std::string uuidText = sent[0].requestId->substr(14);
    ASSERT_TRUE(Uuid::parse(uuidText));
    EXPECT_EQ(Uuid::parse(uuidText)->text(), uuidText);  // upper case
    EXPECT_EQ(sent[0].macDeviceId, "mac-1");
    EXPECT_EQ(sent[1], offer);
    EXPECT_EQ(sent[3], unlockRequest("req-1"));
    EXPECT_TRUE(peripheral->queuedMessages().empty());
    EXPECT_TRUE(peripheral->outboundFrames().entries.empty());
}

TEST_F(PeripheralTest, SubscriptionsAreKeptOncePerCentralAndOnlyForTheNotifyCharacteristic) {
    start();
    fake.subscribe("phone", 185, writeUUID);
    EXPECT_TRUE(peripheral->subscribedCentrals().empty());
    EXPECT_TRUE(fake.sent.empty());
    subscribe("phone", 185);
    subscribe("phone", 100);
    ASSERT_EQ(peripheral->subscribedCentrals().size(), 1u);
    EXPECT_EQ(peripheral->subscribedCentrals()[0].maximumUpdateValueLength, 100);
    subscribe("tablet", 185);
    fake.unsubscribe("phone", writeUUID);  // any characteristic ends the central's subscription
    ASSERT_EQ(peripheral->subscribedCentrals().size(), 1u);
    EXPECT_EQ(peripheral->snapshot().status, BluetoothLinkState::connected);
    fake.unsubscribe("tablet", notifyUUID);
    EXPECT_EQ(peripheral->snapshot().status, BluetoothLinkState::advertising);
    EXPECT_EQ(peripheral->snapshot().detail, "iPhoneとの接続が切れました。再接続を待っています");
}

// The phone's subscription may end after the adapter's new state was reported (the radio's
// links close on a path of their own): the adapter's status is the one that stays.
TEST_F(PeripheralTest, ASubscriptionEndingAfterTheAdapterWentLeavesTheAdapterStatus) {
    start();
    const struct {
        AdapterState state;
        BluetoothLinkState status;
        std::string detail;
    } cases[] = {
        {AdapterState::poweredOff, BluetoothLinkState::off, "MacのBluetoothがオフです"},
        {AdapterState::resetting, BluetoothLinkState::starting, "Bluetoothを再準備中"},
        {AdapterState::unsupported, BluetoothLinkState::unsupported,
         "このMacはBluetooth LEに対応していません"},
        {AdapterState::unauthorized, BluetoothLinkState::unauthorized,
         "MacでBluetoothが許可されていません"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(BluetoothLinkStatus(c.status).word());
        subscribe();
        ASSERT_EQ(statusFile()->status, BluetoothLinkState::connected);
        fake.setState(c.state);
        fake.unsubscribe("phone", notifyUUID);
        EXPECT_EQ(statusFile()->status, c.status);
        EXPECT_EQ(statusFile()->detail, c.detail);
        EXPECT_EQ(peripheral->snapshot().status, c.status);
        fake.setState(AdapterState::poweredOn);
        ASSERT_TRUE(runLoopUntil(
            [&] { return peripheral->snapshot().status == BluetoothLinkState::advertising; }));
    }
}

TEST_F(PeripheralTest, FrameSizeFollowsTheSmallestSubscriberWithinBounds) {
    const struct {
        std::int64_t first, second, frameSize;
    } cases[] = {{185, 40, 64}, {1000, 600, 512}, {185, 300, 185}, {0, 0, 64}};
    for (const auto& c : cases) {
        fake.sent.clear();
        peripheral.reset();
        start();
        subscribe("a", c.first);
        subscribe("b", c.second);
        fake.sent.clear();
        Message big = messageOf(Kind::targetSyncReceipt, "x");
        big.trustSignature = std::string(3000, 's');
        peripheral->send(big);
        ASSERT_GT(fake.sent.size(), 2u);
        for (std::size_t i = 0; i + 1 < fake.sent.size(); ++i) {
            EXPECT_EQ(static_cast<std::int64_t>(fake.sent[i].data.size()), c.frameSize);
        }
        EXPECT_EQ(fake.sent.front().centrals, (std::vector<std::string>{"a", "b"}));
        EXPECT_EQ(messagesSent(fake).back(), big);
    }
}

TEST_F(PeripheralTest, BackPressureResumesWhereItStopped) {
    start();
    subscribe("phone", 64);
    fake.sent.clear();
    Message message = messageOf(Kind::targetSyncReceipt, "x");
    message.trustSignature = std::string(100, 's');  // five frames of 64 bytes
    fake.transmitRoom = 2;
    peripheral->send(message);
    EXPECT_EQ(fake.sent.size(), 2u);
    EXPECT_EQ(peripheral->outboundFrames().entries.size(), 3u);
    const Bytes third = peripheral->outboundFrames().entries.front().data;
    fake.makeRoom(1);
    ASSERT_EQ(fake.sent.size(), 3u);
    EXPECT_EQ(fake.sent[2].data, third);
    fake.makeRoom(-1);
    EXPECT_TRUE(peripheral->outboundFrames().entries.empty());
    EXPECT_EQ(messagesSent(fake), std::vector<Message>{message});
}

// A phone that subscribed and then stopped taking notifications must not make the queue grow
// without end: the frames of the newest 64 messages are kept, whole.
TEST_F(PeripheralTest, AStalledLinkHoldsTheFramesOfTheNewestMessagesOnly) {
    start();
    subscribe("phone", 64);
    fake.sent.clear();
    fake.transmitRoom = 0;
    constexpr int messages = 100;
    for (int i = 0; i < messages; ++i) {
        Message message = messageOf(Kind::targetSyncReceipt, "sync-" + std::to_string(i));
        message.trustSignature = std::string(100, 's');  // several frames each
        peripheral->send(message);
    }
    EXPECT_EQ(peripheral->outboundFrames().messageCount(),
              BLELocalOutboundFrameQueue::maximumMessages);
    fake.makeRoom(-1);
    const auto sent = messagesSent(fake);
    ASSERT_EQ(sent.size(), 64u);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(sent[i].requestId, "sync-" + std::to_string(messages - 64 + i));
    EXPECT_TRUE(peripheral->outboundFrames().entries.empty());
}

TEST_F(PeripheralTest, IdentityRefreshWithTheSameIdChangesOnlyTheStoredId) {
    start();
    subscribe();
    const int published = fake.addServiceCalls;
    peripheral->refreshAdvertisingIdentity(std::string("   "));  // blank: still the default
    EXPECT_EQ(peripheral->macDeviceId(), "   ");
    EXPECT_EQ(fake.addServiceCalls, published);
    EXPECT_EQ(peripheral->subscribedCentrals().size(), 1u);
}

TEST_F(PeripheralTest, IdentityRefreshToAPairedIdRepublishesAndForgetsTheLink) {
    start();
    Message offer = messageOf(Kind::pairingOffer, "event_1");
    peripheral->send(offer);
    subscribe("phone", 64);
    fake.transmitRoom = 0;
    peripheral->send(messageOf(Kind::targetSyncReceipt, "waiting-frames"));
    ASSERT_FALSE(peripheral->outboundFrames().entries.empty());

    peripheral->refreshAdvertisingIdentity(std::string("mac-2"));
    const std::string uuid = BLELocalAdvertisementIdentity::serviceUUID("mac-2");
    EXPECT_EQ(peripheral->serviceUUID(), uuid);
    EXPECT_TRUE(peripheral->subscribedCentrals().empty());
    EXPECT_TRUE(peripheral->outboundFrames().entries.empty());
    EXPECT_FALSE(peripheral->latestPairingOffer());
    ASSERT_TRUE(runLoopUntil([&] { return fake.advertisedServiceUUID == uuid; }));
    EXPECT_EQ(fake.published->serviceUUID, uuid);
}

TEST_F(PeripheralTest, IdentityRefreshToTheDefaultKeepsThePairingOffer) {
    start("mac-1");
    peripheral->send(messageOf(Kind::pairingOffer, "event_1"));
    peripheral->refreshAdvertisingIdentity(std::nullopt);
    EXPECT_TRUE(peripheral->latestPairingOffer());
    EXPECT_EQ(peripheral->serviceUUID(), BLELocalPrototypeUUIDs::service);
}

TEST_F(PeripheralTest, IdentityRefreshWhilePoweredOffDoesNotPublish) {
    start();
    fake.setState(AdapterState::poweredOff);
    const int published = fake.addServiceCalls;
    peripheral->refreshAdvertisingIdentity(std::string("mac-3"));
    EXPECT_EQ(fake.addServiceCalls, published);
    EXPECT_FALSE(fake.published);
    EXPECT_FALSE(peripheral->isServicePublished());
}

TEST_F(PeripheralTest, PlatformFailuresAreWrittenAndFailPendingRequests) {
    fake.addServiceError = "GATT registration refused";
    peripheral = std::make_unique<BLELocalUnlockPeripheralPrototype>(
        fake, std::nullopt, [](const Message&) {}, [](const Message&) { return true; },
        fastDelivery());
    UnlockWaiter waiter;
    peripheral->requestUnlock(unlockRequest("r"), 600, waiter.completion());
    ASSERT_TRUE(runLoopUntil([&] { return waiter.done(); }));
    EXPECT_EQ(waiter.failure(), "GATT registration refused");
    EXPECT_EQ(statusFile()->status, BluetoothLinkState::error);
    EXPECT_EQ(statusFile()->detail, "GATT registration refused");
}

}  // namespace
}  // namespace quorvel::daemon::testing
