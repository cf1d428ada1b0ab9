#pragma once

// What an unlock request tells the iPhone: which target, under which policy terms, and the
// remote-open counts gathered since the last request. It travels only inside the sealed
// envelope, which turns it into JSON and encrypts it for the iPhone.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "QuorvelShared/policy/default_lock_policy.hpp"
#include "QuorvelShared/policy/mission_policy.hpp"
#include "QuorvelShared/policy/policy_enums.hpp"
#include "QuorvelShared/policy/remote_open_records.hpp"
#include "QuorvelShared/support/date.hpp"

namespace quorvel {

struct UnlockContextPlaintext {
    struct PolicySnapshot {
        std::vector<std::int64_t> durationOptions;
        bool customDurationSelectionEnabled = false;
        // The primary mission.
        MissionPolicy missionPolicy;
        // The policy's full list; absent and empty both leave missionPolicy as the only choice.
        std::optional<std::vector<MissionPolicy>> missions;
        std::int64_t warningBeforeEndSeconds = 0;
        std::int64_t breakDurationSeconds = 0;

        // The missions the iPhone chooses from: missions when it holds any, else missionPolicy.
        std::vector<MissionPolicy> availableMissions() const;

        // The terms both requesters send for a target's effective policy. A free choice of
        // duration and a break are not offered through an unlock request, so they go out as
        // false and 0 whatever the policy holds.
        static PolicySnapshot forUnlock(const DefaultLockPolicy& policy);

        friend bool operator==(const PolicySnapshot&, const PolicySnapshot&) = default;
    };

    // The request's id ("req_" + UUID); the envelope also derives its key from it.
    std::string requestId;
    std::string targetLocalId;
    TargetType targetType = TargetType::macApp;
    std::string targetDisplayName;
    PolicySnapshot policySnapshot;
    Date createdAt;
    std::optional<std::vector<RemoteOpenEventBatch>> remoteOpenBatches;

    // The context as the requesters fill it: the snapshot of the policy, created now, and the
    // frozen batches only when there are any (no empty list).
    static UnlockContextPlaintext forUnlock(std::string requestId, std::string targetLocalId,
                                            TargetType targetType, std::string targetDisplayName,
                                            const DefaultLockPolicy& effectivePolicy,
                                            Date createdAt,
                                            std::vector<RemoteOpenEventBatch> frozenBatches);

    friend bool operator==(const UnlockContextPlaintext&, const UnlockContextPlaintext&) = default;
};

// Keys equal the field names; absent optionals are left out, dates are ISO text. The snapshot
// reader is tolerant of a missing "customDurationSelectionEnabled" (false) and
// "breakDurationSeconds" (0).
Json toJson(const UnlockContextPlaintext::PolicySnapshot& snapshot);
UnlockContextPlaintext::PolicySnapshot policySnapshotFromJson(const Json& value,
                                                              const std::string& path);
Json toJson(const UnlockContextPlaintext& context);
UnlockContextPlaintext unlockContextPlaintextFromJson(const Json& value, const std::string& path);

}  // namespace quorvel
