#pragma once
// One unlock request on its way through the mailbox to the daemon and back: sealed for the
// iPhone, handed over, followed while the daemon picks it up and the iPhone answers, and its
// answer checked. Lives as a child of the model and deletes itself when the road ends.
#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

#include "QuorvelMac/model/mac_lock_target.hpp"
#include "QuorvelPlatform/bridge/ble_local_bridge_requester.hpp"
#include "QuorvelShared/bridge/mac_link_configuration.hpp"
#include "QuorvelShared/support/operation_step.hpp"

namespace quorvel {

class MacAppModel;

class UnlockRequestRun final : public QObject {
    Q_OBJECT
public:
    UnlockRequestRun(MacAppModel* model, MacLockTarget target);
    // Starts the road on a later turn of the loop.
    void startLater();

private:
    // Runs one step of the road; what it throws fails this request alone.
    void guarded(const std::function<void()>& step);
    void begin();
    void deliveryConfirmed();
    void bridgeEnded(const BLELocalBridgeRequester::Result& result);
    void handleAnswer(const BLELocalPrototypeWireMessage& answer);
    // Ends the request with `text` on the lock panel, and reports it with the step it failed at.
    void fail(const std::string& text);
    void finish();

    QPointer<MacAppModel> model_;
    MacLockTarget target_;
    MacLinkConfiguration configuration_;
    std::string requestId_;
    Date expiresAt_{};
    OperationStep step_;
    // A child; cancelled when the road ends, so that it reports nothing more.
    QPointer<BLELocalBridgeRequester> requester_;
};

}  // namespace quorvel
