#pragma once

// An unlock approval that the Mac has accepted (signature verified, allow windows opened), kept
// so that the same approval delivered again can be told from a new one.
#include <cstdint>
#include <optional>
#include <string>

#include "QuorvelShared/messages/ble_local_prototype_wire_message.hpp"
#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel {

struct BLELocalAcceptedApprovalReceipt {
    std::string requestId;
    std::int64_t approvedDurationSeconds = 0;
    Date approvedUntil;
    std::string approvalSignature;
    // Present for the approval of a linked target.
    std::optional<std::string> linkedTargetId;
    std::optional<std::int64_t> linkedRevision;
    std::optional<std::string> linkedSignature;
    Date acceptedAt;

    // The receipt of an "unlockApproval" message that carries its request id, duration, end and
    // signature; no value for any other message. The linked fields are taken as they are.
    static std::optional<BLELocalAcceptedApprovalReceipt> fromMessage(
        const BLELocalPrototypeWireMessage& message, Date acceptedAt);

    // True when the receipt is live at `at` and `message` is the approval it records. The file
    // keeps whole seconds, so the approval's end matches within less than one second.
    bool matches(const BLELocalPrototypeWireMessage& message, Date at) const;

    friend bool operator==(const BLELocalAcceptedApprovalReceipt&,
                           const BLELocalAcceptedApprovalReceipt&) = default;
};

// Keys equal the field names; absent linked fields are left out; dates as ISO text.
Json toJson(const BLELocalAcceptedApprovalReceipt& receipt);
BLELocalAcceptedApprovalReceipt bleLocalAcceptedApprovalReceiptFromJson(const Json& value,
                                                                        const std::string& path);

}  // namespace quorvel
