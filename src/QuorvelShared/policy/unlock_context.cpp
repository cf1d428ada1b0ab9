#include "QuorvelShared/policy/unlock_context.hpp"

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {
namespace {

Json missionsJson(const std::vector<MissionPolicy>& missions) {
    return json::arrayOf(missions);
}

std::vector<std::int64_t> readDurations(const Json& value, const std::string& path) {
    return json::readArray(value, path, json::readInt64);
}

std::vector<MissionPolicy> readMissions(const Json& value, const std::string& path) {
    return json::readArray(value, path, missionPolicyFromJson);
}

std::vector<RemoteOpenEventBatch> readBatches(const Json& value, const std::string& path) {
    return json::readArray(value, path, remoteOpenEventBatchFromJson);
}

}  // namespace

std::vector<MissionPolicy> UnlockContextPlaintext::PolicySnapshot::availableMissions() const {
    if (missions && !missions->empty()) {
        return *missions;
    }
    return {missionPolicy};
}

UnlockContextPlaintext::PolicySnapshot UnlockContextPlaintext::PolicySnapshot::forUnlock(
    const DefaultLockPolicy& policy) {
    return PolicySnapshot{
        .durationOptions = policy.durationOptions,
        .customDurationSelectionEnabled = false,
        .missionPolicy = policy.missionPolicy(),
        .missions = policy.missions,
        .warningBeforeEndSeconds = policy.warningBeforeEndSeconds,
        .breakDurationSeconds = 0,
    };
}

UnlockContextPlaintext UnlockContextPlaintext::forUnlock(
    std::string requestId, std::string targetLocalId, TargetType targetType,
    std::string targetDisplayName, const DefaultLockPolicy& effectivePolicy, Date createdAt,
    std::vector<RemoteOpenEventBatch> frozenBatches) {
    UnlockContextPlaintext context{
        .requestId = std::move(requestId),
        .targetLocalId = std::move(targetLocalId),
        .targetType = targetType,
        .targetDisplayName = std::move(targetDisplayName),
        .policySnapshot = PolicySnapshot::forUnlock(effectivePolicy),
        .createdAt = createdAt,
        .remoteOpenBatches = std::nullopt,
    };
    if (!frozenBatches.empty()) {
        context.remoteOpenBatches = std::move(frozenBatches);
    }
    return context;
}

Json toJson(const UnlockContextPlaintext::PolicySnapshot& snapshot) {
    Json value = Json::object();
    value["durationOptions"] = snapshot.durationOptions;
    value["customDurationSelectionEnabled"] = snapshot.customDurationSelectionEnabled;
    value["missionPolicy"] = toJson(snapshot.missionPolicy);
    if (snapshot.missions) {
        value["missions"] = missionsJson(*snapshot.missions);
    }
    value["warningBeforeEndSeconds"] = snapshot.warningBeforeEndSeconds;
    value["breakDurationSeconds"] = snapshot.breakDurationSeconds;
    return value;
}

UnlockContextPlaintext::PolicySnapshot policySnapshotFromJson(const Json& value,
                                                              const std::string& path) {
    const json::ObjectReader object(value, path);
    return UnlockContextPlaintext::PolicySnapshot{
        .durationOptions = object.required("durationOptions", readDurations),
        .customDurationSelectionEnabled =
            object.optionalBoolean("customDurationSelectionEnabled").value_or(false),
        .missionPolicy = object.required("missionPolicy", missionPolicyFromJson),
        .missions = object.optional("missions", readMissions),
        .warningBeforeEndSeconds = object.int64("warningBeforeEndSeconds"),
        .breakDurationSeconds = object.optionalInt64("breakDurationSeconds").value_or(0),
    };
}

Json toJson(const UnlockContextPlaintext& context) {
    Json value = Json::object();
    value["requestId"] = context.requestId;
    value["targetLocalId"] = context.targetLocalId;
    value["targetType"] = toJson(context.targetType);
    value["targetDisplayName"] = context.targetDisplayName;
    value["policySnapshot"] = toJson(context.policySnapshot);
    value["createdAt"] = json::isoDateValue(context.createdAt);
    if (context.remoteOpenBatches) {
        Json batches = json::arrayOf(*context.remoteOpenBatches);
        value["remoteOpenBatches"] = std::move(batches);
    }
    return value;
}

UnlockContextPlaintext unlockContextPlaintextFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader object(value, path);
    return UnlockContextPlaintext{
        .requestId = object.string("requestId"),
        .targetLocalId = object.string("targetLocalId"),
        .targetType = object.required("targetType", targetTypeFromJson),
        .targetDisplayName = object.string("targetDisplayName"),
        .policySnapshot = object.required("policySnapshot", policySnapshotFromJson),
        .createdAt = object.isoDate("createdAt"),
        .remoteOpenBatches = object.optional("remoteOpenBatches", readBatches),
    };
}

}  // namespace quorvel
