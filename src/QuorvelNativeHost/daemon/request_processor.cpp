#include "QuorvelNativeHost/daemon/request_processor.hpp"

#include <QPointer>
#include <QTimer>
#include <exception>

#include "QuorvelNativeHost/daemon/link_configuration.hpp"
#include "QuorvelPlatform/logging/failure_report.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/bridge/ble_local_pairing_session_store.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/support/event_boundary.hpp"
#include "QuorvelShared/support/notifications.hpp"

namespace quorvel::daemon {

using Kind = BLELocalPrototypeMessageKind;

namespace {

void reportMailboxFailure(const std::string& what, const std::exception& error) {
    reportFailure(lcDaemon, {what, BLELocalBridgeStore::stateURL()}, error.what());
}

}  // namespace

void announce(std::string_view notification) {
    static RepeatedFailure failure;
    runReportingFailure(lcDaemon, failure, {"posting " + std::string(notification), {}},
                        [&](OperationStep&) { postNotification(notification); });
}

void postResponseNotification() {
    announce(BLELocalBridgeStore::responseNotification);
}

BLELocalBridgeRequestProcessor::BLELocalBridgeRequestProcessor(
    BLELocalUnlockPeripheralPrototype& peripheral, QObject* parent)
    : QObject(parent), peripheral_(peripheral), deadlines_(new BootClockDeadlines(this)) {}

BLELocalBridgeRequestProcessor::~BLELocalBridgeRequestProcessor() {
    runEventHandler(LogArea::daemon, "writing the mailbox responses", [this] { writeResponses(); });
}

void BLELocalBridgeRequestProcessor::processPendingRequests() {
    ++passCount_;
    std::vector<BLELocalBridgeRequest> requests;
    try {
        requests = BLELocalBridgeStore::loadPendingRequests();
    } catch (const std::exception& error) {
        // The next request notification tries again; until the file reads, nothing is served.
        reportMailboxFailure("reading the pending requests", error);
        return;
    }
    std::erase_if(requests, [this](const BLELocalBridgeRequest& request) {
        return tasksByRequestId_.contains(request.requestId);
    });
    if (requests.empty())
        return;
    // Every pick-up mark of the pass in one write: a mailbox of thousands of requests is read
    // and written once, not once per request.
    std::vector<std::string> ids;
    ids.reserve(requests.size());
    for (const auto& request : requests)
        ids.push_back(request.requestId);
    try {
        BLELocalBridgeStore::savePickUpMarks(ids);
    } catch (const std::exception& error) {
        reportMailboxFailure("marking the requests as picked up", error);
        return;  // they wait for the next pass
    }
    for (auto& request : requests) {
        postResponseNotification();
        auto task = std::make_shared<Task>(Task{request.message.kind});
        tasksByRequestId_[request.requestId] = task;
        QTimer::singleShot(0, this, [this, request = std::move(request), task] {
            if (task->cancelled)
                return;
            try {
                process(request, task);
            } catch (...) {
                // Only this request fails; the others and the daemon go on.
                const auto error = std::current_exception();
                if (!complete(request.requestId, task, PeripheralFailure{describeException(error)},
                              false)) {
                    reportEscapedException(LogArea::daemon, "request " + request.requestId, error);
                }
            }
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

bool BLELocalBridgeRequestProcessor::complete(const std::string& requestId,
                                              const std::shared_ptr<Task>& task,
                                              const UnlockOutcome& outcome, bool hasReply) {
    // A request ends once: a failure caught after its answer was given leaves that answer.
    if (task->completed)
        return false;
    task->completed = true;
    if (task->cancelled) {
        forget(requestId, task);
        postResponseNotification();
        return true;
    }
    BLELocalBridgeResponse response{requestId, true, std::nullopt, std::nullopt};
    if (const auto* failure = std::get_if<PeripheralFailure>(&outcome)) {
        response.error = failure->description;
        const std::string kind(nameOf<Kind>(task->kind, bleLocalPrototypeMessageKindNames));
        reportFailure(lcDaemon,
                      {"carrying " + kind + " request " + requestId + " to the iPhone", {}},
                      failure->description);
    } else if (hasReply) {
        response.message = std::get<BLELocalPrototypeWireMessage>(outcome);
    }
    // Requests that end in the same turn (a time-out shared by hundreds) are written together
    // on the next turn. Until then the request stays in the table, so no pass serves it again.
    if (unwritten_.empty()) {
        QTimer::singleShot(0, this, [this] {
            runEventHandler(LogArea::daemon, "writing the mailbox responses",
                            [this] { writeResponses(); });
        });
    }
    unwritten_.push_back({std::move(response), task});
    return true;
}

void BLELocalBridgeRequestProcessor::writeResponses() {
    auto finished = std::exchange(unwritten_, {});
    if (finished.empty())
        return;
    std::vector<BLELocalBridgeResponse> responses;
    responses.reserve(finished.size());
    for (const auto& entry : finished)
        responses.push_back(entry.response);
    try {
        BLELocalBridgeStore::saveResponses(responses);
    } catch (const std::exception& error) {
        // One by one, so that each request gets what it would have got alone: a success that
        // cannot be written is answered with the write's error instead.
        reportMailboxFailure("writing " + std::to_string(responses.size()) + " responses together",
                             error);
        for (const auto& response : responses)
            saveOneResponse(response);
    }
    for (const auto& entry : finished) {
        forget(entry.response.requestId, entry.task);
        postResponseNotification();
    }
}

void BLELocalBridgeRequestProcessor::saveOneResponse(const BLELocalBridgeResponse& response) {
    const std::string what = "writing the response to request " + response.requestId;
    try {
        BLELocalBridgeStore::saveResponse(response);
    } catch (const std::exception& error) {
        reportMailboxFailure(what, error);
        if (response.error)
            return;  // the request stays pending and is served again by a later pass
        try {
            BLELocalBridgeStore::saveResponse(
                {response.requestId, true, std::nullopt, std::string(error.what())});
        } catch (const std::exception& failure) {
            // The request stays pending and is served again by a later pass.
            reportMailboxFailure(what + " as failed", failure);
        }
    }
}

void BLELocalBridgeRequestProcessor::forget(const std::string& requestId,
                                            const std::shared_ptr<Task>& task) {
    if (const auto found = tasksByRequestId_.find(requestId);
        found != tasksByRequestId_.end() && found->second == task) {
        tasksByRequestId_.erase(found);
    }
}

void BLELocalBridgeRequestProcessor::cancelAll() {
    // Answers already given are written before the end; only running requests write nothing.
    writeResponses();
    for (auto& [id, task] : std::exchange(tasksByRequestId_, {}))
        task->cancelled = true;
}

void BLELocalBridgeRequestProcessor::schedulePairingIdentityRestoreIfNeeded(
    const BLELocalBridgeRequest& request) {
    const auto& offer = request.message;
    if (offer.kind != Kind::pairingOffer || !offer.pairingSessionId || !offer.expiresAt)
        return;
    deadlines_->after(
        std::max(0.0, offer.expiresAt->secondsSince(systemClock().now())),
        [this, sessionId = *offer.pairingSessionId] { restorePairedIdentity(sessionId); });
}

void BLELocalBridgeRequestProcessor::restorePairedIdentity(const std::string& offerSessionId) {
    // When the offer cannot be read, whether it is still the latest cannot be told: the identity
    // stays until the next pairing or unpairing.
    std::optional<BLELocalPairingSession> session;
    const bool read = runReportingFailure(lcDaemon, {"reading the pairing offer at its end", {}},
                                          [&](OperationStep& step) {
                                              step.file = BLELocalPairingSessionStore::filePath();
                                              session = BLELocalPairingSessionStore::load();
                                          });
    // A newer offer took over the default identity: leave it to that offer.
    if (!read || !session || session->sessionId != offerSessionId)
        return;
    peripheral_.refreshAdvertisingIdentity(configuredMacDeviceId());
}

}  // namespace quorvel::daemon
