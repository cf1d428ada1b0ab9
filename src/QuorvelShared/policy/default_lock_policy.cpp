#include "QuorvelShared/policy/default_lock_policy.hpp"

#include <algorithm>

#include "QuorvelShared/support/arithmetic.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {
namespace {

MissionPolicy squatDefault() {
    return MissionPolicy::defaultMission(MissionKind::squat);
}

std::vector<std::int64_t> readDurations(const Json& value, const std::string& path) {
    return json::readArray(value, path, json::readInt64);
}

std::vector<MissionPolicy> readMissions(const Json& value, const std::string& path) {
    return json::readArray(value, path, missionPolicyFromJson);
}

// "missions" wins when it holds any; an older policy kept one mission under "missionPolicy".
std::vector<MissionPolicy> settledMissions(const json::ObjectReader& object) {
    if (auto missions = object.optional("missions", readMissions); missions && !missions->empty()) {
        return *missions;
    }
    if (auto single = object.optional("missionPolicy", missionPolicyFromJson)) {
        return {*single};
    }
    return {squatDefault()};
}

}  // namespace

DefaultLockPolicy DefaultLockPolicy::make(LockMode lockMode, std::int64_t allowanceSecondsPerDay,
                                          std::vector<std::int64_t> durationOptions,
                                          bool customDurationSelectionEnabled,
                                          std::vector<MissionPolicy> missions,
                                          std::int64_t warningBeforeEndSeconds,
                                          std::int64_t usageLimitSecondsPerDay,
                                          std::int64_t breakDurationSeconds,
                                          BreakScope breakScope) {
    if (missions.empty()) {
        missions.push_back(squatDefault());
    }
    return DefaultLockPolicy{
        .lockMode = lockMode,
        .allowanceSecondsPerDay = allowanceSecondsPerDay,
        .usageLimitSecondsPerDay = usageLimitSecondsPerDay,
        .breakDurationSeconds = breakDurationSeconds,
        .breakScope = breakScope,
        .durationOptions = std::move(durationOptions),
        .customDurationSelectionEnabled = customDurationSelectionEnabled,
        .missions = std::move(missions),
        .warningBeforeEndSeconds = warningBeforeEndSeconds,
    };
}

const DefaultLockPolicy& DefaultLockPolicy::defaultFree() {
    static const DefaultLockPolicy policy{};
    return policy;
}

MissionPolicy DefaultLockPolicy::missionPolicy() const {
    return missions.empty() ? squatDefault() : missions.front();
}

void DefaultLockPolicy::setMissionPolicy(const MissionPolicy& mission) {
    if (missions.empty()) {
        missions.push_back(mission);
        return;
    }
    const auto sameKind =
        std::find_if(missions.begin(), missions.end(),
                     [&](const MissionPolicy& m) { return m.kind == mission.kind; });
    *(sameKind != missions.end() ? sameKind : missions.begin()) = mission;
}

std::vector<std::int64_t> DefaultLockPolicy::normalizedPresetOptions(
    std::span<const std::int64_t> options) {
    std::vector<std::int64_t> cleaned;
    cleaned.reserve(options.size());
    for (const std::int64_t seconds : options) {
        const std::int64_t minutes = std::clamp<std::int64_t>(
            roundHalfAwayFromZero(static_cast<double>(seconds) / 60.0), 1, 180);
        cleaned.push_back(minutes * 60);
    }
    std::sort(cleaned.begin(), cleaned.end());
    cleaned.erase(std::unique(cleaned.begin(), cleaned.end()), cleaned.end());
    if (cleaned.size() > 4) {
        cleaned.resize(4);
    }
    for (const std::int64_t fallback : defaultFree().durationOptions) {
        const bool isOnlyEntry = cleaned.size() == 1 && cleaned.front() == fallback;
        if (cleaned.size() < 2 && !isOnlyEntry) {
            cleaned.push_back(fallback);
        }
    }
    std::sort(cleaned.begin(), cleaned.end());
    return cleaned;
}

Json toJson(const DefaultLockPolicy& policy) {
    Json missions = json::arrayOf(policy.missions);
    Json value = Json::object();
    value["lockMode"] = toJson(policy.lockMode);
    value["allowanceSecondsPerDay"] = policy.allowanceSecondsPerDay;
    value["usageLimitSecondsPerDay"] = policy.usageLimitSecondsPerDay;
    value["breakDurationSeconds"] = policy.breakDurationSeconds;
    value["breakScope"] = toJson(policy.breakScope);
    value["durationOptions"] = policy.durationOptions;
    value["customDurationSelectionEnabled"] = policy.customDurationSelectionEnabled;
    value["missions"] = std::move(missions);
    value["warningBeforeEndSeconds"] = policy.warningBeforeEndSeconds;
    return value;
}

DefaultLockPolicy defaultLockPolicyFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader object(value, path);
    // A missing break length and scope do not take defaultFree's values: a stored policy
    // without them had no break, 0 seconds per target.
    return DefaultLockPolicy{
        .lockMode = object.optional("lockMode", lockModeFromJson).value_or(LockMode::always),
        .allowanceSecondsPerDay = object.optionalInt64("allowanceSecondsPerDay").value_or(0),
        .usageLimitSecondsPerDay = object.optionalInt64("usageLimitSecondsPerDay").value_or(0),
        .breakDurationSeconds = object.optionalInt64("breakDurationSeconds").value_or(0),
        .breakScope =
            object.optional("breakScope", breakScopeFromJson).value_or(BreakScope::perApp),
        .durationOptions = object.optional("durationOptions", readDurations)
                               .value_or(DefaultLockPolicy::defaultFree().durationOptions),
        .customDurationSelectionEnabled =
            object.optionalBoolean("customDurationSelectionEnabled").value_or(false),
        .missions = settledMissions(object),
        .warningBeforeEndSeconds = object.optionalInt64("warningBeforeEndSeconds").value_or(60),
    };
}

}  // namespace quorvel
