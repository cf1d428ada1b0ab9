#pragma once

// The records of the target-sync and linked-unlock endpoints. The sealed list and the grants'
// signatures are carried unread: checking them is the work of the refresh service and the
// restorer.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel::backend {

struct TargetSyncPutResponse {
    std::int64_t version = 0;
    Date updatedAt;

    friend bool operator==(const TargetSyncPutResponse&, const TargetSyncPutResponse&) = default;
};

struct TargetSyncStateResponse {
    struct State {
        std::int64_t version = 0;
        // The base64 envelope of the sealed synced target list.
        std::string encryptedPayload;
        Date updatedAt;

        friend bool operator==(const State&, const State&) = default;
    };

    // No state: the backend holds no list for this Mac.
    std::optional<State> state;

    friend bool operator==(const TargetSyncStateResponse&,
                           const TargetSyncStateResponse&) = default;
};

// One linked unlock signed by the iPhone, as the backend serves it.
struct LinkedUnlockState {
    std::string iosDeviceId;
    std::string targetId;
    Date approvedUntil;
    // Standard base64 of the DER signature over the grant's LinkedUnlockSigningPayload.
    std::string signature;
    std::int64_t revision = 0;

    friend bool operator==(const LinkedUnlockState&, const LinkedUnlockState&) = default;
};

struct LinkedUnlockStateResponse {
    std::vector<LinkedUnlockState> unlocks;

    friend bool operator==(const LinkedUnlockStateResponse&,
                           const LinkedUnlockStateResponse&) = default;
};

// {"version", "updated_at"}, both required.
Json toJson(const TargetSyncPutResponse& response);
TargetSyncPutResponse targetSyncPutResponseFromJson(const Json& value, const std::string& path);

// {"state": {"version", "encrypted_payload", "updated_at"}}; a present state must be complete.
Json toJson(const TargetSyncStateResponse& response);
TargetSyncStateResponse targetSyncStateResponseFromJson(const Json& value, const std::string& path);

// {"ios_device_id", "target_id", "approved_until", "signature", "revision"}, all required.
Json toJson(const LinkedUnlockState& state);
LinkedUnlockState linkedUnlockStateFromJson(const Json& value, const std::string& path);

// {"unlocks": [...]}, required; one grant that does not decode fails the whole answer.
Json toJson(const LinkedUnlockStateResponse& response);
LinkedUnlockStateResponse linkedUnlockStateResponseFromJson(const Json& value,
                                                            const std::string& path);

}  // namespace quorvel::backend
