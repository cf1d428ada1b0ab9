#pragma once

// The host's side of one mailbox request to the Bluetooth bridge daemon: on a later turn of the
// loop the request is handed to a BLELocalBridgeRequester, which files it, wakes the daemon and
// polls the mailbox; its outcome becomes the iPhone's answer or the host's error. The answer or
// the failure is handed to the completion exactly once, on a later turn of the loop; destroying
// the object first cancels the wait silently.
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <exception>
#include <functional>
#include <variant>

#include "QuorvelPlatform/bridge/ble_local_bridge_requester.hpp"
#include "QuorvelShared/messages/ble_local_prototype_wire_message.hpp"
#include "QuorvelShared/support/operation_step.hpp"

namespace quorvel::host {

class BridgeExchange final : public QObject {
    Q_OBJECT
public:
    // The iPhone's answer, or the failure: NativeHostError (invalidBluetoothRequest,
    // macAppNotRunning, bluetoothBridgeTimeout, bluetoothBridgeFailed, invalidBluetoothResponse)
    // or an error of the mailbox store or of the notification bus.
    using Result = std::variant<BLELocalPrototypeWireMessage, std::exception_ptr>;
    using Completion = std::function<void(Result)>;

    BridgeExchange(BLELocalPrototypeWireMessage message, std::int64_t timeoutSeconds,
                   Completion completion, QObject* parent = nullptr);

    // The step the exchange is at, or ended at: what a failure's report names.
    const OperationStep& step() const { return requester_ ? requester_->step() : step_; }

private:
    void fileRequest();
    void complete(Result result);

    BLELocalPrototypeWireMessage message_;
    std::int64_t timeoutSeconds_;
    Completion completion_;
    // The step before the requester takes over.
    OperationStep step_;
    QPointer<BLELocalBridgeRequester> requester_;
};

}  // namespace quorvel::host
