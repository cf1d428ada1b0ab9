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
        ASSERT_TRUE(
            runLoopUntil([&] { return core->peripheral().snapshot().status == "advertising"; }));
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

}  // namespace
}  // namespace quorvel::daemon::testing
