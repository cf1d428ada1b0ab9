#pragma once

// The full set of lock terms. The same record is the global policy, a target's effective policy
// after its override is applied, the per-target policy in the shared policy file, and the policy
// inside each synced web target. Its reader is tolerant so that policies stored by older versions
// (keys missing, the single "missionPolicy") still load.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "QuorvelShared/policy/mission_policy.hpp"
#include "QuorvelShared/policy/policy_enums.hpp"

namespace quorvel {

// A default-constructed policy equals defaultFree().
struct DefaultLockPolicy {
    LockMode lockMode = LockMode::always;
    std::int64_t allowanceSecondsPerDay = 0;
    // 0 means no limit.
    std::int64_t usageLimitSecondsPerDay = 0;
    std::int64_t breakDurationSeconds = 300;
    BreakScope breakScope = BreakScope::allApps;
    // Unlock durations offered to the user, in seconds.
    std::vector<std::int64_t> durationOptions = {300, 1200};
    bool customDurationSelectionEnabled = false;
    // Never empty once built by make() or read from JSON; each kind at most once (editors keep
    // that rule; the relaxation check relies on it).
    std::vector<MissionPolicy> missions = {MissionPolicy::defaultMission(MissionKind::squat)};
    std::int64_t warningBeforeEndSeconds = 60;

    // The initialiser of the peer's record, in its parameter order: stores the values as given,
    // except that an empty mission list becomes the squat default.
    static DefaultLockPolicy make(LockMode lockMode, std::int64_t allowanceSecondsPerDay,
                                  std::vector<std::int64_t> durationOptions,
                                  bool customDurationSelectionEnabled,
                                  std::vector<MissionPolicy> missions,
                                  std::int64_t warningBeforeEndSeconds,
                                  std::int64_t usageLimitSecondsPerDay,
                                  std::int64_t breakDurationSeconds, BreakScope breakScope);

    // The built-in policy; built once, safely under concurrent first use.
    static const DefaultLockPolicy& defaultFree();

    // The single-mission view: the first mission, or the squat default for an empty list.
    MissionPolicy missionPolicy() const;
    // Replaces the mission of the same kind, else the first one; adds only to an empty list.
    void setMissionPolicy(const MissionPolicy& mission);

    // Cleans a list of durations for use as durationOptions: whole minutes from 1 to 180,
    // no duplicates, ascending, at most the four shortest, and at least two entries.
    static std::vector<std::int64_t> normalizedPresetOptions(std::span<const std::int64_t> options);

    friend bool operator==(const DefaultLockPolicy&, const DefaultLockPolicy&) = default;
};

// Writes all nine keys, "missions" as a list (never the older "missionPolicy").
Json toJson(const DefaultLockPolicy& policy);
// Tolerant: every key may be missing or null and then takes its default; a key of the wrong type
// or an unknown enumeration name still fails. Values are taken as stored, unclamped.
DefaultLockPolicy defaultLockPolicyFromJson(const Json& value, const std::string& path);

}  // namespace quorvel
