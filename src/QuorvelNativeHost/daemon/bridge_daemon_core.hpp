#pragma once

// The daemon's objects, built once per run in this order: the message handler, the peripheral
// (with the Mac device id of the link configuration, if any), the request notification stream,
// the request processor; then one mailbox pass for the requests written while no daemon ran.
// Each request notification afterwards runs one more pass; posts that come while a pass runs
// fold into one.
#include <QObject>
#include <memory>

#include "QuorvelNativeHost/daemon/incoming_message_handler.hpp"
#include "QuorvelNativeHost/daemon/request_processor.hpp"
#include "QuorvelNativeHost/daemon/unlock_peripheral.hpp"
#include "QuorvelPlatform/bluetooth/ble_peripheral.hpp"
#include "QuorvelPlatform/notifications/distributed_notification_stream.hpp"
#include "QuorvelShared/devicekeys/device_key_storing.hpp"

namespace quorvel::daemon {

struct BridgeDaemonTiming {
    UnlockDeliveryTiming delivery;
    double identityRefreshAfterPairingSeconds = 1.0;
};

class BridgeDaemonCore final : public QObject {
    Q_OBJECT

public:
    BridgeDaemonCore(bluetooth::BlePeripheral& platform,
                     std::shared_ptr<DeviceKeyStoring> deviceKeys, BridgeDaemonTiming timing = {},
                     QObject* parent = nullptr);

    // Ends the request stream and stops serving the requests in flight.
    void shutDown();

    BLELocalUnlockPeripheralPrototype& peripheral() { return *peripheral_; }
    BLELocalBridgeRequestProcessor& processor() { return *processor_; }

private:
    IncomingMessageHandler* handler_;
    BLELocalUnlockPeripheralPrototype* peripheral_;
    DistributedNotificationStream* requests_ = nullptr;
    BLELocalBridgeRequestProcessor* processor_;
};

}  // namespace quorvel::daemon
