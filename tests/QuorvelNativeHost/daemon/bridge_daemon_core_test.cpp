#include "QuorvelNativeHost/daemon/bridge_daemon_core.hpp"

#include <gtest/gtest.h>

#include "QuorvelNativeHost/daemon/incoming_message_applier.hpp"
#include "QuorvelPlatform/notifications/dbus_notification_poster.hpp"
#include "QuorvelPlatform/notifications/distributed_notification_observer.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/bridge/ble_local_pairing_session_store.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/devicekeys/keychain_device_key_store.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/support/file_lock.hpp"
#include "daemon_test_support.hpp"
#include "testkit/memory_keychain.hpp"

#include <QEventLoop>
#include <future>
#include <thread>

namespace quorvel::daemon::testing {
namespace {

// The daemon's objects over the fake peripheral, with the real session bus for notifications:
// the program's own (see qt_test_main.cpp), so every request notification seen here was posted
// by the test itself.
class DaemonCoreTest : public ::testing::Test {
protected:
    void SetUp() override { installDBusNotificationPoster(); }
    void TearDown() override {
        core.reset();
        installNotificationPoster(nullptr);
    }
    void startCore(BridgeDaemonTiming timing = {}) {
        core = std::make_unique<BridgeDaemonCore>(
            fake,
            std::make_shared<KeychainDeviceKeyStore>(std::make_shared<testkit::MemoryKeychain>(),
                                                     "app.quorvel.device-keys"),
            timing);
        ASSERT_TRUE(runLoopUntil([&] {
            return core->peripheral().snapshot().status == BluetoothLinkState::advertising;
        }));
    }
    // Posts `count` request notifications, then waits until a marker posted after them is back.
    // By then the requests have reached the stream; the wake-up it queued for them runs ahead of
    // what drainLoop() queues afterwards, so their pass has run when this returns.
    void postRequests(int count) {
        const auto poster = DBusNotificationPoster::connect();
        const std::string marker = "test." + newUuidText() + ".marker";
        bool seen = false;
        DistributedNotificationObserver observer(marker, [&] { seen = true; });
        for (int i = 0; i < count; ++i)
            poster->post(BLELocalBridgeStore::requestNotification);
        poster->post(marker);
        ASSERT_TRUE(runLoopUntil([&] { return seen; }));
        testkit::drainLoop();
    }

    testkit::TempXdgHome home;
    testkit::FakeBlePeripheral fake;
    std::unique_ptr<BridgeDaemonCore> core;
};

TEST_F(DaemonCoreTest, StartsWithOnePassOverRequestsWrittenBeforeIt) {
    BLELocalBridgeStore::saveRequest({"early", messageOf(Kind::targetSyncReceipt, "early"), 60});
    startCore();
    EXPECT_EQ(core->processor().passCount(), 1);
    ASSERT_TRUE(runLoopUntil([] {
        const auto response = BLELocalBridgeStore::loadResponse("early");
        return response && response->completed;
    }));
}

TEST_F(DaemonCoreTest, StartsWithTheConfiguredIdentity) {
    MacLinkConfigurationStore::save(
        {"https://api.quorvel.app", "", "mac-9", "ios-1", "c2lnbg==", "ZW5j", 600, 120});
    startCore();
    EXPECT_EQ(fake.advertisedServiceUUID, BLELocalAdvertisementIdentity::serviceUUID("mac-9"));
}

TEST_F(DaemonCoreTest, TenRequestNotificationsDuringAPassRunAtMostOneMorePass) {
    startCore();
    const auto before = core->processor().passCount();
    // Another thread holds the mailbox lock, so the pass below waits on it; meanwhile that
    // thread posts ten request notifications and waits until a marker posted after them has
    // reached this process, so all ten are waiting for the main thread when the pass ends.
    std::promise<void> locked;
    std::thread other([&] {
        files::ExclusiveFileLock lock(BLELocalBridgeStore::stateURL().parent_path() /
                                      ".ble-bridge-state.lock");
        locked.set_value();
        const auto poster = DBusNotificationPoster::connect();
        QEventLoop loop;
        DistributedNotificationObserver marker("test." + newUuidText() + ".marker",
                                               [&] { loop.quit(); });
        for (int i = 0; i < 10; ++i)
            poster->post(BLELocalBridgeStore::requestNotification);
        poster->post(marker.name());
        loop.exec();
    });
    locked.get_future().wait();
    core->processor().processPendingRequests();
    other.join();
    EXPECT_EQ(core->processor().passCount(), before + 1);
    postRequests(0);  // the ten have been delivered, and their one wake-up has run
    EXPECT_EQ(core->processor().passCount(), before + 2);
}

TEST_F(DaemonCoreTest, ShutDownEndsTheRequestStream) {
    startCore();
    core->shutDown();
    const auto before = core->processor().passCount();
    postRequests(2);
    EXPECT_EQ(core->processor().passCount(), before);
}

TEST_F(DaemonCoreTest, APairingApprovalIsAnsweredAndTheNewIdentityFollowsLater) {
    startCore({fastDelivery(), 0.3});
    BLELocalPairingSessionStore::save(
        {"pair_1", "123456", systemClock().now().addingSeconds(300), "mac-new", {}});
    fake.subscribe("phone", 185, notifyUUID);
    fake.sent.clear();
    Message approval = messageOf(Kind::pairingApproval, "event_1");
    approval.pairingSessionId = "pair_1";
    approval.pairingCode = "123456";
    approval.iosDeviceId = "ios-1";
    approval.iosEncryptionPublicKeyBase64 = "ZW5j";
    approval.iosSigningPublicKeyBase64 = "c2ln";
    for (const auto& frame : framesFor(approval)) {
        EXPECT_EQ(fake.writeOne(writeUUID, frame), bluetooth::AttResult::success);
    }
    const auto sent = messagesSent(fake);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].kind, Kind::pairingResult);
    EXPECT_EQ(sent[0].pairingAccepted, true);
    // Still the old identity, so that the result reaches the iPhone under it.
    EXPECT_EQ(core->peripheral().serviceUUID(), BLELocalPrototypeUUIDs::service);
    const std::string paired = BLELocalAdvertisementIdentity::serviceUUID("mac-new");
    ASSERT_TRUE(runLoopUntil([&] { return core->peripheral().serviceUUID() == paired; }));
}

TEST_F(DaemonCoreTest, AnUnpairRefreshesTheIdentityAtOnceEvenWhenIgnored) {
    MacLinkConfigurationStore::save(
        {"https://api.quorvel.app", "", "mac-9", "ios-1", "c2lnbg==", "ZW5j", 600, 120});
    startCore();
    core->peripheral().refreshAdvertisingIdentity(std::nullopt);
    Message unpair = messageOf(Kind::unpair, "u");
    unpair.macDeviceId = "mac-other";
    for (const auto& frame : framesFor(unpair))
        fake.writeOne(writeUUID, frame);
    EXPECT_EQ(core->peripheral().serviceUUID(),
              BLELocalAdvertisementIdentity::serviceUUID("mac-9"));
    EXPECT_TRUE(MacLinkConfigurationStore::load());
}

// Anyone near the Mac can write to the characteristic without ever subscribing. Each refused
// pairing approval is answered, and the answers wait for a subscriber: only the newest are kept.
TEST_F(DaemonCoreTest, AFloodOfWritesFromADeviceThatNeverSubscribedKeepsOnlyTheNewestReplies) {
    startCore();
    constexpr int writes = 400;
    for (int i = 0; i < writes; ++i) {
        Message approval = messageOf(Kind::pairingApproval, "approval-" + std::to_string(i));
        approval.pairingSessionId = "no-such-session";
        approval.pairingCode = "000000";
        for (const auto& frame : framesFor(approval))
            ASSERT_EQ(fake.writeOne(writeUUID, frame), bluetooth::AttResult::success);
    }
    const auto& queued = core->peripheral().queuedMessages();
    ASSERT_EQ(queued.size(), BLELocalUnlockPeripheralPrototype::maximumQueuedMessages);
    EXPECT_EQ(queued.front().requestId, "approval-" + std::to_string(writes - 64));
    EXPECT_EQ(queued.back().requestId, "approval-" + std::to_string(writes - 1));

    // A phone that subscribes gets its state refresh and the kept answers, oldest first.
    fake.subscribe("phone", 185, notifyUUID);
    const auto sent = messagesSent(fake);
    ASSERT_EQ(sent.size(), 1u + 64u);
    EXPECT_EQ(sent[0].kind, Kind::stateRefreshRequest);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(sent[1 + i].kind, Kind::pairingResult);
        EXPECT_EQ(sent[1 + i].requestId, "approval-" + std::to_string(writes - 64 + i));
        EXPECT_EQ(sent[1 + i].pairingAccepted, false);
    }
    EXPECT_TRUE(core->peripheral().queuedMessages().empty());
}

// What one request's step throws fails that request alone, with the error in its response; the
// other requests and the daemon go on.
TEST_F(DaemonCoreTest, AnExceptionInOneRequestsDeliveryCheckFailsThatRequestAlone) {
    startCore({fastDelivery(), 0.3});
    const auto unlock = [](const std::string& id) {
        Message message = messageOf(Kind::unlockRequest, id);
        message.encryptedContext = "sealed-" + id;
        return message;
    };
    BLELocalBridgeStore::saveRequest({"first", unlock("first"), 600});
    BLELocalBridgeStore::saveRequest({"second", unlock("second"), 600});
    // The first delivery check's recovery meets an adapter that throws.
    fake.stopAdvertisingFailures = 1;
    ::testing::internal::CaptureStderr();
    core->processor().processPendingRequests();
    std::optional<BLELocalBridgeResponse> first, second;
    const bool answered = runLoopUntil([&] {
        first = BLELocalBridgeStore::loadResponse("first");
        second = BLELocalBridgeStore::loadResponse("second");
        return first && first->completed && second && second->completed;
    });
    const std::string errors = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(answered);
    EXPECT_EQ(first->error, "the adapter refused to stop advertising");
    EXPECT_EQ(second->error, "iphone_delivery_unconfirmed");
    EXPECT_NE(errors.find("first"), std::string::npos) << errors;

    BLELocalBridgeStore::saveRequest({"later", messageOf(Kind::targetSyncReceipt, "later"), 60});
    core->processor().processPendingRequests();
    ASSERT_TRUE(runLoopUntil([] {
        const auto response = BLELocalBridgeStore::loadResponse("later");
        return response && response->completed;
    }));
    EXPECT_FALSE(BLELocalBridgeStore::loadResponse("later")->error);
}

}  // namespace
}  // namespace quorvel::daemon::testing
