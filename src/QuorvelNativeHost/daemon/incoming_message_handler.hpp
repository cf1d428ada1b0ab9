#pragma once

// The peripheral's handler of the iPhone's control messages: applies each one, sends the reply
// back, and moves the advertised identity after a pairing or an unpairing. It reaches the
// peripheral through a holder that is filled as soon as the peripheral exists; no message can
// arrive before, since the platform's callbacks come on later turns of the loop.
#include <QObject>
#include <QPointer>
#include <memory>

#include "QuorvelNativeHost/daemon/unlock_peripheral.hpp"
#include "QuorvelPlatform/timers/boot_clock_deadlines.hpp"
#include "QuorvelShared/devicekeys/device_key_storing.hpp"

namespace quorvel::daemon {

class IncomingMessageHandler final : public QObject {
    Q_OBJECT

public:
    // `identityRefreshDelaySeconds`: how long after a pairing approval the new identity is
    // advertised, so that the pairing result still reaches the iPhone under the old one.
    IncomingMessageHandler(std::shared_ptr<DeviceKeyStoring> deviceKeys,
                           double identityRefreshDelaySeconds = 1.0, QObject* parent = nullptr);

    void setPeripheral(BLELocalUnlockPeripheralPrototype* peripheral) { peripheral_ = peripheral; }
    void handle(const BLELocalPrototypeWireMessage& message);

private:
    void refreshIdentityFromConfiguration();

    std::shared_ptr<DeviceKeyStoring> deviceKeys_;
    double identityRefreshDelaySeconds_;
    QPointer<BLELocalUnlockPeripheralPrototype> peripheral_;
    BootClockDeadlines* deadlines_;
};

}  // namespace quorvel::daemon
