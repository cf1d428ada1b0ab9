#include "QuorvelNativeHost/daemon/incoming_message_handler.hpp"

#include <exception>

#include "QuorvelNativeHost/daemon/incoming_message_applier.hpp"
#include "QuorvelNativeHost/daemon/link_configuration.hpp"
#include "QuorvelPlatform/logging/failure_report.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"

namespace quorvel::daemon {

using Kind = BLELocalPrototypeMessageKind;

IncomingMessageHandler::IncomingMessageHandler(std::shared_ptr<DeviceKeyStoring> deviceKeys,
                                               double identityRefreshDelaySeconds, QObject* parent)
    : QObject(parent),
      deviceKeys_(std::move(deviceKeys)),
      identityRefreshDelaySeconds_(identityRefreshDelaySeconds),
      deadlines_(new BootClockDeadlines(this)) {}

void IncomingMessageHandler::handle(const BLELocalPrototypeWireMessage& message) {
    if (const auto reply = applyBluetoothIncomingMessage(message, *deviceKeys_)) {
        try {
            if (peripheral_)
                peripheral_->send(*reply);
        } catch (const std::exception& error) {
            // The iPhone asks again when it gets no answer.
            const std::string kind(nameOf<Kind>(reply->kind, bleLocalPrototypeMessageKindNames));
            reportFailure(lcDaemon, {"sending the " + kind + " reply to the iPhone", {}},
                          error.what());
        }
    }
    if (message.kind == Kind::unpair) {
        refreshIdentityFromConfiguration();
    } else if (message.kind == Kind::pairingApproval) {
        deadlines_->after(identityRefreshDelaySeconds_,
                          [this] { refreshIdentityFromConfiguration(); });
    }
}

void IncomingMessageHandler::refreshIdentityFromConfiguration() {
    const std::optional<std::string> macDeviceId = configuredMacDeviceId();
    if (peripheral_)
        peripheral_->refreshAdvertisingIdentity(macDeviceId);
}

}  // namespace quorvel::daemon
