#include "QuorvelNativeHost/daemon/incoming_message_handler.hpp"

#include <exception>

#include "QuorvelNativeHost/daemon/incoming_message_applier.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"

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
        } catch (const std::exception&) {
            // The iPhone asks again when it gets no answer.
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
    std::optional<std::string> macDeviceId;
    try {
        if (const auto configuration = MacLinkConfigurationStore::load()) {
            macDeviceId = configuration->macDeviceId;
        }
    } catch (const std::exception&) {
    }
    if (peripheral_)
        peripheral_->refreshAdvertisingIdentity(macDeviceId);
}

}  // namespace quorvel::daemon
