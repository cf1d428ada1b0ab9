#include "QuorvelNativeHost/daemon/bridge_daemon_core.hpp"

#include <exception>

#include "QuorvelNativeHost/daemon/incoming_message_applier.hpp"
#include "QuorvelNativeHost/daemon/link_configuration.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/support/event_boundary.hpp"

namespace quorvel::daemon {

BridgeDaemonCore::BridgeDaemonCore(bluetooth::BlePeripheral& platform,
                                   std::shared_ptr<DeviceKeyStoring> deviceKeys,
                                   BridgeDaemonTiming timing, QObject* parent)
    : QObject(parent),
      handler_(new IncomingMessageHandler(std::move(deviceKeys),
                                          timing.identityRefreshAfterPairingSeconds, this)) {
    peripheral_ = new BLELocalUnlockPeripheralPrototype(
        platform, configuredMacDeviceId(),
        [handler = handler_](const BLELocalPrototypeWireMessage& message) {
            handler->handle(message);
        },
        acceptBluetoothUnlockReceipt, timing.delivery, this);
    handler_->setPeripheral(peripheral_);
    try {
        requests_ = new DistributedNotificationStream(
            std::string(BLELocalBridgeStore::requestNotification), this);
    } catch (const std::exception& error) {
        // Without the session bus no requester can reach the daemon either; Bluetooth still runs.
        qCWarning(lcDaemon, "request notifications unavailable: %s", error.what());
    }
    processor_ = new BLELocalBridgeRequestProcessor(*peripheral_, this);
    if (requests_) {
        connect(requests_, &DistributedNotificationStream::available, processor_, [this] {
            if (requests_->take()) {
                runEventHandler(LogArea::daemon, "a mailbox pass",
                                [this] { processor_->processPendingRequests(); });
            }
        });
    }
    runEventHandler(LogArea::daemon, "the first mailbox pass",
                    [this] { processor_->processPendingRequests(); });
}

void BridgeDaemonCore::shutDown() {
    if (requests_)
        requests_->finish();
    processor_->cancelAll();
}

}  // namespace quorvel::daemon
