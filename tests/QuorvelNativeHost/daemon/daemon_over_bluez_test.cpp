// The daemon program over BlueZ: a private system bus with the fake bluetoothd, and a simulated
// phone that subscribes and writes, as the real link would run.
#include <gtest/gtest.h>

#include "QuorvelPlatform/notifications/dbus_notification_poster.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/bridge/ble_local_connection_store.hpp"
#include "QuorvelShared/messages/ble_local_identity.hpp"
#include "bluez/fake_bluez.hpp"
#include "bluez/simulated_phone.hpp"
#include "bus/private_bus.hpp"
#include "daemon_process_support.hpp"
#include "testkit/qt_wait.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::daemon {
namespace {

using testkit::runLoopUntil;
using Kind = BLELocalPrototypeMessageKind;

TEST(DaemonOverBlueZ, APhoneSubscribesGetsTheStateRefreshAndAnswersAnUnlockRequest) {
    testkit::TempXdgHome home;
    testing::PrivateBus systemBus(
        testing::PrivateBus::Kind::system);  // the daemon finds it through its environment
    testing::FakeBlueZ bluez(QString::fromStdString(systemBus.address()));
    int input[2];
    ASSERT_EQ(::pipe2(input, O_CLOEXEC), 0);
    const pid_t daemon = startDaemon({"--ble-bridge-daemon"}, input[0]);
    ::close(input[0]);

    ASSERT_TRUE(runLoopUntil([&] { return bluez.application() && bluez.advertisement(); }));
    EXPECT_TRUE(bluez.problems().isEmpty()) << bluez.problems().join("; ").toStdString();
    testing::SimulatedPhone phone(bluez, "/org/bluez/hci0/dev_11_22_33_44_55_66", 185);
    phone.subscribe();
    ASSERT_TRUE(runLoopUntil([&] { return !phone.wireMessages().empty(); }));
    EXPECT_EQ(phone.wireMessages()[0].kind, Kind::stateRefreshRequest);
    ASSERT_TRUE(runLoopUntil([] {
        const auto status = BLELocalConnectionStore::load();
        return status && status->status == BluetoothLinkState::connected;
    }));

    // An unlock request through the mailbox reaches the phone; its approval answers it.
    BLELocalPrototypeWireMessage request;
    request.kind = Kind::unlockRequest;
    request.requestId = "req-e2e";
    request.encryptedContext = "sealed";
    BLELocalBridgeStore::saveRequest({"req-e2e", request, 600});
    DBusNotificationPoster::connect()->post(BLELocalBridgeStore::requestNotification);
    const auto received = [&](Kind kind) {
        for (const auto& message : phone.wireMessages()) {
            if (message.kind == kind)
                return true;
        }
        return false;
    };
    ASSERT_TRUE(runLoopUntil([&] { return received(Kind::unlockRequest); }));
    BLELocalPrototypeWireMessage approval;
    approval.kind = Kind::unlockApproval;
    approval.requestId = "req-e2e";
    approval.approvedDurationSeconds = 300;
    phone.sendMessage(approval);
    ASSERT_TRUE(runLoopUntil([] {
        const auto response = BLELocalBridgeStore::loadResponse("req-e2e");
        return response && response->completed;
    }));
    EXPECT_EQ(BLELocalBridgeStore::loadResponse("req-e2e")->message, approval);
    ASSERT_TRUE(runLoopUntil([&] { return !phone.writesPending(); }));
    ASSERT_FALSE(phone.writeResults().empty());
    EXPECT_EQ(phone.writeResults().back(), 0);
    ::close(input[1]);
    EXPECT_EQ(waitForExit(daemon), 0);
}

}  // namespace
}  // namespace quorvel::daemon
