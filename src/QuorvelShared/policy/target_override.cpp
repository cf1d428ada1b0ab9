#include "QuorvelShared/policy/target_override.hpp"

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {
namespace {

std::vector<std::int64_t> readDurations(const Json& value, const std::string& path) {
    return json::readArray(value, path, json::readInt64);
}

std::vector<MissionPolicy> readMissions(const Json& value, const std::string& path) {
    return json::readArray(value, path, missionPolicyFromJson);
}

}  // namespace

Json toJson(const TargetOverride& override) {
    Json value = Json::object();
    if (override.lockMode) {
        value["lockMode"] = toJson(*override.lockMode);
    }
    if (override.allowanceSecondsPerDay) {
        value["allowanceSecondsPerDay"] = *override.allowanceSecondsPerDay;
    }
    if (override.breakDurationSeconds) {
        value["breakDurationSeconds"] = *override.breakDurationSeconds;
    }
    if (override.durationOptions) {
        value["durationOptions"] = *override.durationOptions;
    }
    if (override.customDurationSelectionEnabled) {
        value["customDurationSelectionEnabled"] = *override.customDurationSelectionEnabled;
    }
    if (override.missions) {
        Json missions = json::arrayOf(*override.missions);
        value["missions"] = std::move(missions);
    }
    if (override.warningBeforeEndSeconds) {
        value["warningBeforeEndSeconds"] = *override.warningBeforeEndSeconds;
    }
    return value;
}

TargetOverride targetOverrideFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader object(value, path);
    return TargetOverride{
        .lockMode = object.optional("lockMode", lockModeFromJson),
        .allowanceSecondsPerDay = object.optionalInt64("allowanceSecondsPerDay"),
        .breakDurationSeconds = object.optionalInt64("breakDurationSeconds"),
        .durationOptions = object.optional("durationOptions", readDurations),
        .customDurationSelectionEnabled = object.optionalBoolean("customDurationSelectionEnabled"),
        .missions = object.optional("missions", readMissions),
        .warningBeforeEndSeconds = object.optionalInt64("warningBeforeEndSeconds"),
    };
}

}  // namespace quorvel
