#pragma once

// The host's side of one mailbox request to the Bluetooth bridge daemon: files the request, wakes
// the daemon and polls the mailbox on the main loop's timers until the daemon's final response,
// as BLELocalBridgeWait decides. The answer or the failure is handed to the completion exactly
// once, on a later turn of the loop; destroying the object first cancels the wait silently.
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <variant>

#include "QuorvelShared/bridge/ble_local_bridge_wait.hpp"
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
    const OperationStep& step() const { return step_; }

private:
    void fileRequest();
    void pollMailbox();
    void complete(Result result);

    BLELocalPrototypeWireMessage message_;
    std::int64_t timeoutSeconds_;
    Completion completion_;
    std::optional<BLELocalBridgeWait> wait_;
    OperationStep step_;
    QTimer timer_;
};

}  // namespace quorvel::host
