#include "QuorvelNativeHost/daemon/request_processor.hpp"

#include <QPointer>
#include <QTimer>
#include <exception>

#include "QuorvelPlatform/timers/boot_clock_timer.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/bridge/ble_local_pairing_session_store.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/support/notifications.hpp"

namespace quorvel::daemon {

using Kind = BLELocalPrototypeMessageKind;

void postResponseNotification() {
    try {
        postNotification(BLELocalBridgeStore::responseNotification);
    } catch (const std::exception&) {
        // Requesters poll the mailbox as well; a lost wake-up only delays them.
    }
}

BLELocalBridgeRequestProcessor::BLELocalBridgeRequestProcessor(
    BLELocalUnlockPeripheralPrototype& peripheral, QObject* parent)
    : QObject(parent), peripheral_(peripheral) {}

void BLELocalBridgeRequestProcessor::processPendingRequests() {
    ++passCount_;
    std::vector<BLELocalBridgeRequest> requests;
    try {
        requests = BLELocalBridgeStore::loadPendingRequests();
    } catch (const std::exception&) {
        return;  // the next request notification tries again
    }
    for (const auto& request : requests) {
        if (tasksByRequestId_.contains(request.requestId))
            continue;
        try {
            if (!BLELocalBridgeStore::loadResponse(request.requestId)) {
                BLELocalBridgeStore::saveResponse(
                    {request.requestId, false, std::nullopt, std::nullopt});
            }
        } catch (const std::exception&) {
            return;  // the rest wait for the next pass
        }
        postResponseNotification();
        auto task = std::make_shared<Task>();
        tasksByRequestId_[request.requestId] = task;
        QTimer::singleShot(0, this, [this, request, task] {
            if (!task->cancelled)
                process(request, task);
        });
    }
}

void BLELocalBridgeRequestProcessor::process(const BLELocalBridgeRequest& request,
                                             const std::shared_ptr<Task>& task) {
    if (request.message.kind == Kind::unlockRequest) {
        peripheral_.requestUnlock(
            request.message, request.timeoutSeconds,
            [self = QPointer(this), id = request.requestId, task](const UnlockOutcome& outcome) {
                if (self)
                    self->complete(id, task, outcome, true);
            });
        return;
    }
    UnlockOutcome outcome = BLELocalPrototypeWireMessage{};
    try {
        if (request.message.kind == Kind::pairingOffer) {
            peripheral_.refreshAdvertisingIdentity(std::nullopt);
        }
        peripheral_.send(request.message);
        schedulePairingIdentityRestoreIfNeeded(request);
    } catch (const std::exception& error) {
        outcome = PeripheralFailure{error.what()};
    }
    complete(request.requestId, task, outcome, false);
}

void BLELocalBridgeRequestProcessor::complete(const std::string& requestId,
                                              const std::shared_ptr<Task>& task,
                                              const UnlockOutcome& outcome, bool hasReply) {
    if (!task->cancelled) {
        BLELocalBridgeResponse response{requestId, true, std::nullopt, std::nullopt};
        if (const auto* failure = std::get_if<PeripheralFailure>(&outcome)) {
            response.error = failure->description;
        } else if (hasReply) {
            response.message = std::get<BLELocalPrototypeWireMessage>(outcome);
        }
        try {
            BLELocalBridgeStore::saveResponse(response);
        } catch (const std::exception& error) {
            if (!response.error) {
                try {
                    BLELocalBridgeStore::saveResponse(
                        {requestId, true, std::nullopt, std::string(error.what())});
                } catch (const std::exception&) {
                    // The request stays pending and is served again by a later pass.
                }
            }
        }
    }
    if (const auto found = tasksByRequestId_.find(requestId);
        found != tasksByRequestId_.end() && found->second == task) {
        tasksByRequestId_.erase(found);
    }
    postResponseNotification();
}

void BLELocalBridgeRequestProcessor::cancelAll() {
    for (auto& [id, task] : std::exchange(tasksByRequestId_, {}))
        task->cancelled = true;
}

void BLELocalBridgeRequestProcessor::schedulePairingIdentityRestoreIfNeeded(
    const BLELocalBridgeRequest& request) {
    const auto& offer = request.message;
    if (offer.kind != Kind::pairingOffer || !offer.pairingSessionId || !offer.expiresAt)
        return;
    auto* timer = new BootClockTimer(this);
    connect(timer, &BootClockTimer::timeout, this,
            [this, timer, sessionId = *offer.pairingSessionId] {
                timer->deleteLater();
                std::optional<BLELocalPairingSession> session;
                try {
                    session = BLELocalPairingSessionStore::load();
                } catch (const std::exception&) {
                    return;
                }
                // A newer offer took over the default identity: leave it to that offer.
                if (!session || session->sessionId != sessionId)
                    return;
                std::optional<std::string> macDeviceId;
                try {
                    if (const auto configuration = MacLinkConfigurationStore::load()) {
                        macDeviceId = configuration->macDeviceId;
                    }
                } catch (const std::exception&) {
                }
                peripheral_.refreshAdvertisingIdentity(macDeviceId);
            });
    timer->start(std::max(0.0, offer.expiresAt->secondsSince(systemClock().now())));
}

}  // namespace quorvel::daemon
