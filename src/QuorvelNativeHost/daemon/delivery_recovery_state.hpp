#pragma once

// The unlock messages the peripheral is delivering and has not finished: each is handed out once
// for its first send, re-sent in start order when the phone subscribes again, and granted one
// recovery (a restart of the Bluetooth service) when its delivery receipt does not come. Plain
// in-memory value; all timing belongs to the peripheral.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "QuorvelShared/messages/ble_local_prototype_wire_message.hpp"

namespace quorvel::daemon {

class BLELocalUnlockDeliveryRecoveryState {
public:
    // Records the message under its request id, queued for sending, recovery not yet granted. A
    // message without request id is not recorded; a new begin for a known id keeps its place in
    // the order and replaces its record.
    void begin(const BLELocalPrototypeWireMessage& message);
    // The queued message of the request, handed out once.
    std::optional<BLELocalPrototypeWireMessage> takeMessageForSend(const std::string& requestId);
    // The begun message of every recorded request, in the order the requests began.
    std::vector<BLELocalPrototypeWireMessage> activeMessages() const;
    // Grants the request's single recovery and queues its message again; false when there is no
    // record or the recovery was already granted.
    bool prepareRetry(const std::string& requestId);
    bool hasUsedRecovery(const std::string& requestId) const;
    void finish(const std::string& requestId);

    friend bool operator==(const BLELocalUnlockDeliveryRecoveryState&,
                           const BLELocalUnlockDeliveryRecoveryState&) = default;

private:
    struct Delivery {
        BLELocalPrototypeWireMessage message;
        std::optional<BLELocalPrototypeWireMessage> queuedMessage;
        bool hasUsedRecovery = false;

        friend bool operator==(const Delivery&, const Delivery&) = default;
    };

    std::map<std::string, Delivery> deliveries_;
    std::vector<std::string> requestOrder_;
};

}  // namespace quorvel::daemon
