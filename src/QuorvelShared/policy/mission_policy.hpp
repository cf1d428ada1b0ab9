#pragma once

// One mission's settings: a base quantity that grows with the requested unlock duration, up to
// an optional cap. Policies hold a list of them; the list travels to the iPhone with each unlock
// request.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "QuorvelShared/policy/mission_kind.hpp"

namespace quorvel {

struct MissionPolicy {
    MissionKind kind = MissionKind::squat;
    // Quantities count in the unit of the kind's metric.
    std::int64_t baseQuantity = 0;
    std::int64_t quantityIncreasePerInterval = 0;
    std::int64_t quantityIncreaseIntervalMinutes = 0;
    bool durationIncreaseEnabled = false;
    std::optional<std::int64_t> maximumQuantity;

    // The quantity demanded for an unlock of `seconds`. Saturates instead of overflowing.
    std::int64_t quantity(std::int64_t seconds) const;

    // Edits as the settings screens make them, each keeping the values in their allowed ranges.
    void updateDurationIncreaseEnabled(bool enabled);
    void updateQuantityIncreaseIntervalMinutes(std::int64_t minutes);
    void updateBaseQuantity(std::int64_t quantity);
    void updateMaximumQuantity(std::int64_t maximum);

    // The built-in settings of each kind.
    static MissionPolicy defaultMission(MissionKind kind);

    friend bool operator==(const MissionPolicy&, const MissionPolicy&) = default;
};

// The missions sorted by the presentation order of their kind; equal kinds keep their order.
std::vector<MissionPolicy> orderedForPresentation(const std::vector<MissionPolicy>& missions);

// Keys equal the field names; "maximumQuantity" is left out when absent. Every other key is
// required on reading, and nothing is clamped either way.
Json toJson(const MissionPolicy& mission);
MissionPolicy missionPolicyFromJson(const Json& value, const std::string& path);

}  // namespace quorvel
