#include "QuorvelNativeHost/host/bridge_exchange.hpp"

#include <QTimer>

#include "QuorvelNativeHost/host/native_host_error.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_hand_over.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"

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
    QTimer::singleShot(0, this, &BridgeExchange::fileRequest);
}

void BridgeExchange::fileRequest() {
    try {
        step_ = {"filing the request in the mailbox", BLELocalBridgeStore::stateURL()};
        auto request = BLELocalBridgeHandOver::requestCarrying(message_, timeoutSeconds_);
        if (!request)
            throw NativeHostError(NativeHostErrorCase::invalidBluetoothRequest);
        requester_ = new BLELocalBridgeRequester(
            std::move(*request),
            {{},
             [this](BLELocalBridgeRequester::Result result) {
                 const auto* error = std::get_if<std::exception_ptr>(&result);
                 complete(error ? *error : resultOf(std::get<Outcome>(result)));
             }},
            this);
    } catch (...) {
        complete(std::current_exception());
        return;
    }
    requester_->start();
}

void BridgeExchange::complete(Result result) {
    // The completion may destroy this object: nothing of it is touched afterwards.
    Completion completion = std::move(completion_);
    completion(std::move(result));
}

}  // namespace quorvel::host
