#pragma once

// The messages the native-messaging host sends or pushes to the browser extension: one JSON
// object each, "type" first and then the case's fields in order, dates as ISO text. Decoding
// fails with "Unknown message type." at the key "type" for any type outside the table.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "QuorvelShared/messages/allow_window_summary.hpp"
#include "QuorvelShared/messages/bluetooth_link_status.hpp"
#include "QuorvelShared/messages/synced_web_target_summary.hpp"
#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel {

struct MacToExtensionMessage {
    struct LockRequired {
        static constexpr std::string_view type = "lock.required";
        std::string targetLocalId;
        friend bool operator==(const LockRequired&, const LockRequired&) = default;
    };
    struct UnlockPending {
        static constexpr std::string_view type = "unlock.pending";
        std::string requestId;
        std::string targetLocalId;
        Date expiresAt;
        friend bool operator==(const UnlockPending&, const UnlockPending&) = default;
    };
    struct UnlockApproved {
        static constexpr std::string_view type = "unlock.approved";
        std::string targetLocalId;
        Date allowUntil;
        friend bool operator==(const UnlockApproved&, const UnlockApproved&) = default;
    };
    struct UnlockDenied {
        static constexpr std::string_view type = "unlock.denied";
        std::string targetLocalId;
        // A reason code chosen by the host.
        std::string reason;
        friend bool operator==(const UnlockDenied&, const UnlockDenied&) = default;
    };
    struct TargetsState {
        static constexpr std::string_view type = "targets.state";
        std::int64_t version = 0;
        bool managed = false;
        std::vector<SyncedWebTargetSummary> targets;
        friend bool operator==(const TargetsState&, const TargetsState&) = default;
    };
    struct AllowState {
        static constexpr std::string_view type = "allow.state";
        std::vector<AllowWindowSummary> allows;
        friend bool operator==(const AllowState&, const AllowState&) = default;
    };
    struct BluetoothState {
        static constexpr std::string_view type = "bluetooth.state";
        BluetoothLinkStatus status;
        std::optional<std::string> detail;
        friend bool operator==(const BluetoothState&, const BluetoothState&) = default;
    };
    struct PolicyUpdated {
        static constexpr std::string_view type = "policy.updated";
        friend bool operator==(const PolicyUpdated&, const PolicyUpdated&) = default;
    };

    std::variant<LockRequired, UnlockPending, UnlockApproved, UnlockDenied, TargetsState,
                 AllowState, BluetoothState, PolicyUpdated>
        value;

    friend bool operator==(const MacToExtensionMessage&, const MacToExtensionMessage&) = default;
};

Json toJson(const MacToExtensionMessage& message);
MacToExtensionMessage macToExtensionMessageFromJson(const Json& value, const std::string& path);

// Compact JSON text, as the host writes it, and the reverse.
std::string encodeMacToExtensionMessage(const MacToExtensionMessage& message);
MacToExtensionMessage decodeMacToExtensionMessage(std::string_view text);

}  // namespace quorvel
