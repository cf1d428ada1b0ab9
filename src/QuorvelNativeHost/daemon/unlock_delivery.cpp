// Carrying one unlock request to the phone: the first send, the delivery check 5 s after the
// start with its one recovery (a restart of the service, so that the phone reconnects and gets
// the request again), the last check 25 s later, and the request's own time-out.
#include <algorithm>
#include <exception>

#include "QuorvelNativeHost/daemon/unlock_peripheral.hpp"
#include "QuorvelShared/support/boot_clock.hpp"
#include "QuorvelShared/support/event_boundary.hpp"

namespace quorvel::daemon {

double unlockRequestTimeoutSeconds(std::int64_t timeoutSeconds) {
    // A mailbox file may say anything; a century is more than any request lives.
    return std::clamp(static_cast<double>(std::max<std::int64_t>(timeoutSeconds, 1)), 1.0,
                      longestBootClockSeconds);
}

void BLELocalUnlockPeripheralPrototype::requestUnlock(const BLELocalPrototypeWireMessage& message,
                                                      std::int64_t timeoutSeconds,
                                                      UnlockCompletion completion) {
    if (!message.requestId || message.requestId->empty()) {
        completion(
            PeripheralFailure{errorDescription(BLELocalUnlockPrototypeError::invalidMessage)});
        return;
    }
    const std::string id = *message.requestId;
    if (unlockContinuations_.contains(id)) {
        completion(PeripheralFailure{
            errorDescription(BLELocalUnlockPrototypeError::requestAlreadyPending)});
        return;
    }
    unlockContinuations_[id].completion = std::move(completion);
    guardRequest(id, [&] {
        deliveryRecoveryState_.begin(message);
        if (subscribedCentrals_.empty()) {
            writeStatus(BluetoothLinkState::waiting,
                        "iPhoneアプリまたはBluetooth接続を待っています");
        } else {
            std::optional<PeripheralFailure> failure;
            if (const auto toSend = deliveryRecoveryState_.takeMessageForSend(id)) {
                try {
                    enqueue(*toSend);
                    writeStatus(BluetoothLinkState::checking, "iPhoneへの到達を確認しています");
                } catch (const std::exception& error) {
                    failure = PeripheralFailure{error.what()};
                }
            } else {
                failure = PeripheralFailure{
                    errorDescription(BLELocalUnlockPrototypeError::invalidMessage)};
            }
            if (failure) {
                auto request = takeContinuation(id);
                deliveryRecoveryState_.finish(id);
                (*request)(*failure);
                return;
            }
        }
        startDeliveryTimers(id, unlockRequestTimeoutSeconds(timeoutSeconds));
    });
}

void BLELocalUnlockPeripheralPrototype::startDeliveryTimers(const std::string& requestId,
                                                            double timeoutSeconds) {
    PendingUnlock& request = unlockContinuations_.at(requestId);
    const BootClock::time_point start = BootClock::now();
    request.timeoutDeadline = start + bootClockLength(timeoutSeconds);
    // Set first, so that a time-out due at the same instant as the delivery check runs first.
    request.timeout = deadlines_->at(request.timeoutDeadline, [this, requestId] {
        guardRequest(requestId, [&] { timeout(requestId); });
    });
    request.deliveryCheck = deadlines_->at(
        start + bootClockLength(timing_.deliveryCheckSeconds),
        [this, requestId] { guardRequest(requestId, [&] { onDeliveryCheck(requestId); }); });
}

std::optional<UnlockCompletion> BLELocalUnlockPeripheralPrototype::takeContinuation(
    const std::string& requestId) {
    const auto found = unlockContinuations_.find(requestId);
    if (found == unlockContinuations_.end())
        return std::nullopt;
    PendingUnlock request = std::move(found->second);
    unlockContinuations_.erase(found);
    deadlines_->cancel(request.deliveryCheck);
    deadlines_->cancel(request.timeout);
    return std::move(request.completion);
}

void BLELocalUnlockPeripheralPrototype::guardRequest(const std::string& requestId,
                                                     const std::function<void()>& step) {
    try {
        step();
    } catch (...) {
        // The failed request is reported by whoever asked for it; a failure after its end has
        // nobody left to tell.
        const auto error = std::current_exception();
        if (!failRequest(requestId, PeripheralFailure{describeException(error)}))
            reportEscapedException(LogArea::daemon, "unlock request " + requestId, error);
    }
}

bool BLELocalUnlockPeripheralPrototype::failRequest(const std::string& requestId,
                                                    const PeripheralFailure& failure) {
    auto request = takeContinuation(requestId);
    if (!request)
        return false;  // the step had already ended it
    deliveredRequestIds_.erase(requestId);
    deliveryRecoveryState_.finish(requestId);
    outboundFrames_.removeRequest(requestId);
    (*request)(failure);
    return true;
}

void BLELocalUnlockPeripheralPrototype::onDeliveryCheck(const std::string& requestId) {
    const auto found = unlockContinuations_.find(requestId);
    if (found == unlockContinuations_.end())
        return;
    // A time-out due at the same instant as the check runs first.
    if (BootClock::now() >= found->second.timeoutDeadline) {
        timeout(requestId);
        return;
    }
    if (!found->second.deliveryRechecked) {
        if (recoverUnconfirmedDelivery(requestId)) {
            PendingUnlock& request = unlockContinuations_.at(requestId);
            request.deliveryRechecked = true;
            request.deliveryCheck =
                deadlines_->after(timing_.recoveryRecheckSeconds, [this, requestId] {
                    guardRequest(requestId, [&] { onDeliveryCheck(requestId); });
                });
        }
        return;
    }
    recoverUnconfirmedDelivery(requestId);
}

bool BLELocalUnlockPeripheralPrototype::recoverUnconfirmedDelivery(const std::string& requestId) {
    if (deliveredRequestIds_.contains(requestId))
        return false;
    if (!unlockContinuations_.contains(requestId))
        return false;
    if (deliveryRecoveryState_.prepareRetry(requestId)) {
        outboundFrames_.entries.clear();
        subscribedCentrals_.clear();
        writeStatus(BluetoothLinkState::starting, "iPhoneとのBluetooth接続を再確認しています");
        restartPublishedService();
        return true;
    }
    if (deliveryRecoveryState_.hasUsedRecovery(requestId))
        deliveryTimeout(requestId);
    return false;
}

void BLELocalUnlockPeripheralPrototype::deliveryTimeout(const std::string& requestId) {
    if (deliveredRequestIds_.contains(requestId))
        return;
    auto request = takeContinuation(requestId);
    if (!request)
        return;
    deliveryRecoveryState_.finish(requestId);
    outboundFrames_.removeRequest(requestId);
    writeStatus(BluetoothLinkState::waiting,
                "iPhoneへの解除申請到達を確認できませんでした。再接続を待っています");
    (*request)(
        PeripheralFailure{errorDescription(BLELocalUnlockPrototypeError::deliveryUnconfirmed)});
}

void BLELocalUnlockPeripheralPrototype::timeout(const std::string& requestId) {
    auto request = takeContinuation(requestId);
    if (!request)
        return;
    deliveredRequestIds_.erase(requestId);
    deliveryRecoveryState_.finish(requestId);
    outboundFrames_.removeRequest(requestId);
    (*request)(PeripheralFailure{errorDescription(BLELocalUnlockPrototypeError::timeout)});
}

}  // namespace quorvel::daemon
