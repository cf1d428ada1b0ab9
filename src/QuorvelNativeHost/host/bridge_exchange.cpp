#include "QuorvelNativeHost/host/bridge_exchange.hpp"

#include "QuorvelNativeHost/host/native_host_error.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/support/notifications.hpp"

namespace quorvel::host {
namespace {

using Outcome = BLELocalBridgeWait::Outcome;

BridgeExchange::Result resultOf(const Outcome& outcome) {
    switch (outcome.kind) {
        case Outcome::Kind::answered:
            return *outcome.message;
        case Outcome::Kind::failed:
            return std::make_exception_ptr(NativeHostError::bridgeFailed(outcome.error));
        case Outcome::Kind::emptyAnswer:
            return std::make_exception_ptr(
                NativeHostError(NativeHostErrorCase::invalidBluetoothResponse));
        case Outcome::Kind::notRunning:
            return std::make_exception_ptr(NativeHostError(NativeHostErrorCase::macAppNotRunning));
        case Outcome::Kind::timedOut:
            return std::make_exception_ptr(
                NativeHostError(NativeHostErrorCase::bluetoothBridgeTimeout));
    }
    return std::make_exception_ptr(NativeHostError(NativeHostErrorCase::invalidBluetoothResponse));
}

}  // namespace

BridgeExchange::BridgeExchange(BLELocalPrototypeWireMessage message, std::int64_t timeoutSeconds,
                               Completion completion, QObject* parent)
    : QObject(parent),
      message_(std::move(message)),
      timeoutSeconds_(timeoutSeconds),
      completion_(std::move(completion)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (wait_) {
            pollMailbox();
        } else {
            fileRequest();
        }
    });
    timer_.start(0);
}

void BridgeExchange::fileRequest() {
    try {
        step_ = {"filing the request in the mailbox", BLELocalBridgeStore::stateURL()};
        if (!message_.requestId || message_.requestId->empty()) {
            throw NativeHostError(NativeHostErrorCase::invalidBluetoothRequest);
        }
        BLELocalBridgeStore::saveRequest({*message_.requestId, message_, timeoutSeconds_});
        step_ = {"posting " + std::string(BLELocalBridgeStore::requestNotification), {}};
        postNotification(BLELocalBridgeStore::requestNotification);
    } catch (...) {
        complete(std::current_exception());
        return;
    }
    step_ = {"waiting for the bridge daemon's answer in the mailbox",
             BLELocalBridgeStore::stateURL()};
    wait_.emplace(timeoutSeconds_, BootClock::now());
    pollMailbox();
}

void BridgeExchange::pollMailbox() {
    BLELocalBridgeWait::Step step;
    try {
        step = wait_->poll(BootClock::now(), [this] {
            return BLELocalBridgeStore::loadResponse(*message_.requestId);
        });
    } catch (...) {
        complete(std::current_exception());
        return;
    }
    if (step.outcome) {
        complete(resultOf(*step.outcome));
        return;
    }
    timer_.start(step.pollAgainIn);
}

void BridgeExchange::complete(Result result) {
    // The completion may destroy this object: nothing of it is touched afterwards.
    Completion completion = std::move(completion_);
    completion(std::move(result));
}

}  // namespace quorvel::host
