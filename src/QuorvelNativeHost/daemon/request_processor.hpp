#pragma once

// The daemon's side of the mailbox. On every request notification (and once at start) it picks up
// the requests that nothing of its own serves yet, marks each as picked up (the mark is how a
// requester tells a running daemon from an absent one), hands it to the peripheral, writes the
// final response and announces it. For a pairing offer it advertises the default identity for the
// offer's lifetime and then returns to the paired one.
#include <QObject>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "QuorvelNativeHost/daemon/unlock_peripheral.hpp"
#include "QuorvelPlatform/timers/boot_clock_deadlines.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_request.hpp"

namespace quorvel::daemon {

class BLELocalBridgeRequestProcessor final : public QObject {
    Q_OBJECT

public:
    explicit BLELocalBridgeRequestProcessor(BLELocalUnlockPeripheralPrototype& peripheral,
                                            QObject* parent = nullptr);
    // Writes the answers already given that still wait for their write.
    ~BLELocalBridgeRequestProcessor() override;

    // One pass over the mailbox. Requests are served on later turns of the loop.
    void processPendingRequests();
    // Writes the answers already given, then stops serving: running requests write nothing more.
    void cancelAll();

    bool isServing(const std::string& requestId) const {
        return tasksByRequestId_.contains(requestId);
    }
    std::int64_t passCount() const { return passCount_; }

private:
    struct Task {
        BLELocalPrototypeMessageKind kind;
        bool cancelled = false;
        bool completed = false;
    };

    void process(const BLELocalBridgeRequest& request, const std::shared_ptr<Task>& task);
    // Ends the request with `outcome` and reports a failure; false when it had ended already.
    bool complete(const std::string& requestId, const std::shared_ptr<Task>& task,
                  const UnlockOutcome& outcome, bool hasReply);
    void writeResponses();
    void saveOneResponse(const BLELocalBridgeResponse& response);
    void forget(const std::string& requestId, const std::shared_ptr<Task>& task);
    void schedulePairingIdentityRestoreIfNeeded(const BLELocalBridgeRequest& request);
    // At the end of the offer `offerSessionId`: the paired identity again, unless a newer offer
    // holds the default one.
    void restorePairedIdentity(const std::string& offerSessionId);

    BLELocalUnlockPeripheralPrototype& peripheral_;
    // The pairing offers' identity restores.
    BootClockDeadlines* deadlines_;
    std::map<std::string, std::shared_ptr<Task>> tasksByRequestId_;
    // Completed responses waiting for their write on the next turn of the loop.
    struct Unwritten {
        BLELocalBridgeResponse response;
        std::shared_ptr<Task> task;
    };
    std::vector<Unwritten> unwritten_;
    std::int64_t passCount_ = 0;
};

// Posts a notification that tells the other programs of a write of the daemon's. They also poll
// or reload on their own, so a post that fails only delays them and changes nothing here: the
// failure is reported, once per change of its text, since a mailbox pass posts once per request.
void announce(std::string_view notification);
// Announces the mailbox's responses.
void postResponseNotification();

}  // namespace quorvel::daemon
