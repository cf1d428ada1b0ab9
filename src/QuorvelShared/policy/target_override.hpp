#pragma once

// A target's deviations from the global policy, field by field; an absent field follows the
// global policy. The usage limit and the break scope cannot be overridden.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "QuorvelShared/policy/mission_policy.hpp"
#include "QuorvelShared/policy/policy_enums.hpp"

namespace quorvel {

struct TargetOverride {
    std::optional<LockMode> lockMode;
    std::optional<std::int64_t> allowanceSecondsPerDay;
    std::optional<std::int64_t> breakDurationSeconds;
    std::optional<std::vector<std::int64_t>> durationOptions;
    std::optional<bool> customDurationSelectionEnabled;
    std::optional<std::vector<MissionPolicy>> missions;
    std::optional<std::int64_t> warningBeforeEndSeconds;

    // No field present; a present empty list counts as present.
    bool isEmpty() const { return *this == TargetOverride{}; }

    friend bool operator==(const TargetOverride&, const TargetOverride&) = default;
};

// Keys equal the field names and absent fields are left out (the empty override is {}). Every
// key is optional on reading and null counts as absent; a wrong type still fails.
Json toJson(const TargetOverride& override);
TargetOverride targetOverrideFromJson(const Json& value, const std::string& path);

}  // namespace quorvel
