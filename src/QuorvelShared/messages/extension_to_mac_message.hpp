#pragma once

// The messages the browser extension sends to the native-messaging host: one JSON object each,
// whose "type" names the case and whose other keys carry its fields. Decoding fails with
// "Unknown message type." at the key "type" for any type outside the table (exact case).
#include <string>
#include <string_view>
#include <variant>

#include "QuorvelShared/policy/policy_enums.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel {

struct ExtensionToMacMessage {
    struct ProfileConnected {
        static constexpr std::string_view type = "profile.connected";
        std::string profileId;
        friend bool operator==(const ProfileConnected&, const ProfileConnected&) = default;
    };
    struct UnlockRequested {
        static constexpr std::string_view type = "unlock.requested";
        std::string profileId;
        std::string targetLocalId;
        // A missing or null value reads as these defaults; a wrong name still fails.
        TargetType targetType = TargetType::webDomain;
        std::string targetDisplayName = "ロック対象";
        friend bool operator==(const UnlockRequested&, const UnlockRequested&) = default;
    };
    struct TargetBlocked {
        static constexpr std::string_view type = "target.blocked";
        std::string profileId;
        std::string targetLocalId;
        std::string targetDisplayName;
        std::string url;
        friend bool operator==(const TargetBlocked&, const TargetBlocked&) = default;
    };
    struct TargetsSync {
        static constexpr std::string_view type = "targets.sync";
        std::string profileId;
        friend bool operator==(const TargetsSync&, const TargetsSync&) = default;
    };
    struct EventsSubscribe {
        static constexpr std::string_view type = "events.subscribe";
        std::string profileId;
        friend bool operator==(const EventsSubscribe&, const EventsSubscribe&) = default;
    };

    std::variant<ProfileConnected, UnlockRequested, TargetBlocked, TargetsSync, EventsSubscribe>
        value;

    friend bool operator==(const ExtensionToMacMessage&, const ExtensionToMacMessage&) = default;
};

// "type" first, then every field of the case in order.
Json toJson(const ExtensionToMacMessage& message);
ExtensionToMacMessage extensionToMacMessageFromJson(const Json& value, const std::string& path);

// Compact JSON text, and the reverse (json::DecodeError for text that is not such a message).
std::string encodeExtensionToMacMessage(const ExtensionToMacMessage& message);
ExtensionToMacMessage decodeExtensionToMacMessage(std::string_view text);

}  // namespace quorvel
