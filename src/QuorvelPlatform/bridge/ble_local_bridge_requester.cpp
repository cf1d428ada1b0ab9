#include "QuorvelPlatform/bridge/ble_local_bridge_requester.hpp"

#include "QuorvelShared/bridge/ble_local_bridge_hand_over.hpp"

namespace quorvel {

BLELocalBridgeRequester::BLELocalBridgeRequester(BLELocalBridgeRequest request, Handlers handlers,
                                                 QObject* parent)
    : QObject(parent), request_(std::move(request)), handlers_(std::move(handlers)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &BLELocalBridgeRequester::poll);
}

void BLELocalBridgeRequester::start() {
    try {
        BLELocalBridgeHandOver::fileRequest(request_, step_);
    } catch (...) {
        complete(std::current_exception());
        return;
    }
    wait_.emplace(request_.timeoutSeconds, BootClock::now());
    poll();
}

void BLELocalBridgeRequester::poll() {
    BLELocalBridgeWait::Step step;
    try {
        step = BLELocalBridgeHandOver::poll(*wait_, request_.requestId, BootClock::now());
    } catch (...) {
        complete(std::current_exception());
        return;
    }
    if (step.outcome) {
        complete(std::move(*step.outcome));
        return;
    }
    const bool receipt =
        step.progress && step.progress->message &&
        step.progress->message->kind == BLELocalPrototypeMessageKind::unlockReceipt;
    if (receipt && !deliveryConfirmed_) {
        deliveryConfirmed_ = true;
        if (handlers_.deliveryConfirmed) {
            // A copy: the handler may cancel, which drops the handlers.
            const auto confirmed = handlers_.deliveryConfirmed;
            confirmed();
            if (!handlers_.completion)
                return;
        }
    }
    timer_.start(step.pollAgainIn);
}

void BLELocalBridgeRequester::cancel() {
    timer_.stop();
    handlers_ = {};
}

void BLELocalBridgeRequester::complete(Result result) {
    // The completion may destroy this object: nothing of it is touched afterwards.
    auto completion = std::move(handlers_.completion);
    handlers_ = {};
    completion(std::move(result));
}

}  // namespace quorvel

#include "moc_ble_local_bridge_requester.cpp"
