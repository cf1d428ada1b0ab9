#pragma once

// One lock target with its identity, its deviations from the global policy and the web domains
// tied to it. Its reader also takes the older form, in which a target said whether it inherits
// the global policy and stored a whole policy as its override.
#include <optional>
#include <string>
#include <vector>

#include "QuorvelShared/policy/default_lock_policy.hpp"
#include "QuorvelShared/policy/policy_enums.hpp"
#include "QuorvelShared/policy/target_override.hpp"

namespace quorvel {

struct TargetLockPolicy {
    std::string targetId;
    TargetType targetType = TargetType::macApp;
    std::optional<std::string> displayName;
    TargetOverride override;
    // Normalised host names; make() and the reader normalise, a direct assignment does not.
    std::vector<std::string> associatedDomains;

    // The initialiser of the peer's record: the domains go through normalizedList.
    static TargetLockPolicy make(std::string targetId, TargetType targetType,
                                 std::optional<std::string> displayName, TargetOverride override,
                                 const std::vector<std::string>& associatedDomains);

    const std::string& id() const { return targetId; }
    bool hasOverride() const { return !override.isEmpty(); }
    // An override, a domain, or a name that is not blank.
    bool hasPerTargetCustomization() const;

    // The target's effective terms: the override's fields where present, the global policy's
    // otherwise. A break length is per target only while breaks are per target.
    DefaultLockPolicy resolved(const DefaultLockPolicy& defaultPolicy) const;

    friend bool operator==(const TargetLockPolicy&, const TargetLockPolicy&) = default;
};

// Writes "override" and "associatedDomains" always, "displayName" only when present; never the
// older "inheritsDefault".
Json toJson(const TargetLockPolicy& policy);
TargetLockPolicy targetLockPolicyFromJson(const Json& value, const std::string& path);

}  // namespace quorvel
