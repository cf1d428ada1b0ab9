#pragma once

// One request handed to the Bluetooth bridge daemon and followed on the Qt event loop: start()
// files it in the mailbox, wakes the daemon and reads the mailbox at once; further reads run on a
// precise single-shot timer as BLELocalBridgeWait decides, until the wait's outcome. The
// application's and the host's unlock requests both travel this way; each turns the outcome into
// its own words. Destroying the object cancels the wait silently; the request stays in the
// mailbox, as it does after any outcome but the daemon's final response.
#include <QObject>
#include <QTimer>

#include <exception>
#include <functional>
#include <optional>
#include <variant>

#include "QuorvelShared/bridge/ble_local_bridge_request.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_wait.hpp"
#include "QuorvelShared/support/operation_step.hpp"

namespace quorvel {

class BLELocalBridgeRequester final : public QObject {
    Q_OBJECT
public:
    // The wait's outcome, or the error of the mailbox store or of the notification poster.
    using Result = std::variant<BLELocalBridgeWait::Outcome, std::exception_ptr>;

    struct Handlers {
        // Called at most once, when an in-progress response carries the phone's delivery
        // receipt. May be empty; may cancel.
        std::function<void()> deliveryConfirmed;
        // Called exactly once with the result, unless the request is cancelled or the object
        // destroyed first. It may destroy the object (with deleteLater, as it runs inside the
        // object's own timer event).
        std::function<void(Result)> completion;
    };

    BLELocalBridgeRequester(BLELocalBridgeRequest request, Handlers handlers,
                            QObject* parent = nullptr);

    // Files the request and takes the first read of the mailbox, both within this call, so the
    // completion may already run inside it. Call once.
    void start();

    // Stops following the request: nothing more is read or reported. Safe inside a handler.
    void cancel();

    // The step the request is at, or ended at: what a failure's report names.
    const OperationStep& step() const { return step_; }

private:
    void poll();
    void complete(Result result);

    BLELocalBridgeRequest request_;
    Handlers handlers_;
    std::optional<BLELocalBridgeWait> wait_;
    OperationStep step_;
    bool deliveryConfirmed_ = false;
    QTimer timer_;
};

}  // namespace quorvel
