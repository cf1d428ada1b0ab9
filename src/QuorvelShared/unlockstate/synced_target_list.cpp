#include "QuorvelShared/unlockstate/synced_target_list.hpp"

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {

Json toJson(const SyncedWebTarget& target) {
    Json value = Json::object();
    value["id"] = target.id;
    value["domain"] = target.domain;
    value["displayName"] = target.displayName;
    value["enabled"] = target.enabled;
    if (target.linkedTargetId) {
        value["linkedTargetId"] = *target.linkedTargetId;
    }
    value["policy"] = toJson(target.policy);
    return value;
}

SyncedWebTarget syncedWebTargetFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader object(value, path);
    return {
        .id = object.string("id"),
        .domain = object.string("domain"),
        .displayName = object.string("displayName"),
        .enabled = object.boolean("enabled"),
        .linkedTargetId = object.optionalString("linkedTargetId"),
        .policy = object.required("policy", defaultLockPolicyFromJson),
    };
}

Json toJson(const SyncedTargetList& list) {
    Json targets = json::arrayOf(list.webTargets);
    Json value = Json::object();
    value["version"] = list.version;
    value["generatedAt"] = json::isoDateValue(list.generatedAt);
    value["webTargets"] = std::move(targets);
    value["settingsRelaxationProtection"] = toJson(list.settingsRelaxationProtection);
    if (list.macAppUnlockPolicy) {
        value["macAppUnlockPolicy"] = toJson(*list.macAppUnlockPolicy);
    }
    if (list.macAppUsesDefaultMissions) {
        value["macAppUsesDefaultMissions"] = *list.macAppUsesDefaultMissions;
    }
    return value;
}

SyncedTargetList syncedTargetListFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader object(value, path);
    return {
        .version = object.int64("version"),
        .generatedAt = object.isoDate("generatedAt"),
        .webTargets = object.required("webTargets",
                                      [](const Json& array, const std::string& at) {
                                          return json::readArray(array, at,
                                                                 syncedWebTargetFromJson);
                                      }),
        .settingsRelaxationProtection = object.required(
            "settingsRelaxationProtection", settingsRelaxationProtectionConfigurationFromJson),
        .macAppUnlockPolicy = object.optional("macAppUnlockPolicy", defaultLockPolicyFromJson),
        .macAppUsesDefaultMissions = object.optionalBoolean("macAppUsesDefaultMissions"),
    };
}

}  // namespace quorvel
