#pragma once

// The web-target list that the iPhone manages and sends to the Mac, versioned (a higher version
// is a newer list), together with the relaxation protection and the lock policy it sets for the
// Mac's application targets. It travels sealed (TargetSyncCrypto) and is kept by
// SyncedTargetStateStore.
//
// JSON keys equal the field names; absent optionals are left out and read as absent when missing
// or null; dates are ISO text.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "QuorvelShared/policy/default_lock_policy.hpp"
#include "QuorvelShared/policy/settings_relaxation_protection_configuration.hpp"
#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel {

struct SyncedWebTarget {
    // The entry's identity; "link:<target id>#<domain>" for a web target that belongs to an
    // iPhone application target (SyncedWebTargetID).
    std::string id;
    // The bare host name the entry locks.
    std::string domain;
    std::string displayName;
    bool enabled = true;
    // The iPhone application target this web target belongs to; absent for a stand-alone one.
    std::optional<std::string> linkedTargetId;
    // The entry's complete effective policy.
    DefaultLockPolicy policy;

    friend bool operator==(const SyncedWebTarget&, const SyncedWebTarget&) = default;
};

struct SyncedTargetList {
    std::int64_t version = 0;
    Date generatedAt;
    // In the iPhone's order.
    std::vector<SyncedWebTarget> webTargets;
    SettingsRelaxationProtectionConfiguration settingsRelaxationProtection;
    // The policy for the Mac's application targets; absent when the iPhone sets none.
    std::optional<DefaultLockPolicy> macAppUnlockPolicy;
    std::optional<bool> macAppUsesDefaultMissions;

    friend bool operator==(const SyncedTargetList&, const SyncedTargetList&) = default;
};

Json toJson(const SyncedWebTarget& target);
// "policy" is read by the tolerant policy reader; the other keys but "linkedTargetId" are required.
SyncedWebTarget syncedWebTargetFromJson(const Json& value, const std::string& path);
Json toJson(const SyncedTargetList& list);
SyncedTargetList syncedTargetListFromJson(const Json& value, const std::string& path);

}  // namespace quorvel
