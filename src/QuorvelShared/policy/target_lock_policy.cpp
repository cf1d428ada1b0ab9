#include "QuorvelShared/policy/target_lock_policy.hpp"

#include "QuorvelShared/policy/associated_web_domain.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/text.hpp"

namespace quorvel {
namespace {

std::vector<std::string> readStrings(const Json& value, const std::string& path) {
    return json::readArray(value, path, json::readString);
}

// The older form stored a whole policy; all its fields but the usage limit and the break scope
// become the override.
TargetOverride overrideFromWholePolicy(const DefaultLockPolicy& policy) {
    return TargetOverride{
        .lockMode = policy.lockMode,
        .allowanceSecondsPerDay = policy.allowanceSecondsPerDay,
        .breakDurationSeconds = policy.breakDurationSeconds,
        .durationOptions = policy.durationOptions,
        .customDurationSelectionEnabled = policy.customDurationSelectionEnabled,
        .missions = policy.missions,
        .warningBeforeEndSeconds = policy.warningBeforeEndSeconds,
    };
}

std::optional<bool> readInheritsDefault(const json::ObjectReader& object) {
    try {
        return object.optionalBoolean("inheritsDefault");
    } catch (const json::DecodeError&) {
        // The older key only chooses how "override" is read; a value of another type is read
        // as if the key were absent.
        return std::nullopt;
    }
}

TargetOverride readOverride(const json::ObjectReader& object) {
    const std::optional<bool> inheritsDefault = readInheritsDefault(object);
    if (!inheritsDefault) {
        return object.optional("override", targetOverrideFromJson).value_or(TargetOverride{});
    }
    if (*inheritsDefault) {
        return TargetOverride{};
    }
    // An older override that no longer decodes falls back to following the global policy
    // rather than losing the whole target.
    try {
        if (auto policy = object.optional("override", defaultLockPolicyFromJson)) {
            return overrideFromWholePolicy(*policy);
        }
    } catch (const json::DecodeError&) {
    }
    return TargetOverride{};
}

}  // namespace

TargetLockPolicy TargetLockPolicy::make(std::string targetId, TargetType targetType,
                                        std::optional<std::string> displayName,
                                        TargetOverride override,
                                        const std::vector<std::string>& associatedDomains) {
    return TargetLockPolicy{
        .targetId = std::move(targetId),
        .targetType = targetType,
        .displayName = std::move(displayName),
        .override = std::move(override),
        .associatedDomains = AssociatedWebDomain::normalizedList(associatedDomains),
    };
}

bool TargetLockPolicy::hasPerTargetCustomization() const {
    return hasOverride() || !associatedDomains.empty() || (displayName && !isBlank(*displayName));
}

DefaultLockPolicy TargetLockPolicy::resolved(const DefaultLockPolicy& defaultPolicy) const {
    const TargetOverride& o = override;
    const DefaultLockPolicy& d = defaultPolicy;
    const bool breakIsPerTarget = d.breakScope != BreakScope::allApps && o.breakDurationSeconds;
    DefaultLockPolicy policy{
        .lockMode = o.lockMode.value_or(d.lockMode),
        .allowanceSecondsPerDay = o.allowanceSecondsPerDay.value_or(d.allowanceSecondsPerDay),
        .usageLimitSecondsPerDay = d.usageLimitSecondsPerDay,
        .breakDurationSeconds = breakIsPerTarget ? *o.breakDurationSeconds : d.breakDurationSeconds,
        .breakScope = d.breakScope,
        .durationOptions = o.durationOptions.value_or(d.durationOptions),
        .customDurationSelectionEnabled =
            o.customDurationSelectionEnabled.value_or(d.customDurationSelectionEnabled),
        .missions = o.missions.value_or(d.missions),
        .warningBeforeEndSeconds = o.warningBeforeEndSeconds.value_or(d.warningBeforeEndSeconds),
    };
    if (policy.missions.empty()) {
        policy.missions.push_back(MissionPolicy::defaultMission(MissionKind::squat));
    }
    return policy;
}

Json toJson(const TargetLockPolicy& policy) {
    Json value = Json::object();
    value["targetId"] = policy.targetId;
    value["targetType"] = toJson(policy.targetType);
    if (policy.displayName) {
        value["displayName"] = *policy.displayName;
    }
    value["override"] = toJson(policy.override);
    value["associatedDomains"] = policy.associatedDomains;
    return value;
}

TargetLockPolicy targetLockPolicyFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader object(value, path);
    TargetLockPolicy policy{
        .targetId = object.string("targetId"),
        .targetType = object.required("targetType", targetTypeFromJson),
        .displayName = object.optionalString("displayName"),
        .override = {},
        .associatedDomains = AssociatedWebDomain::normalizedList(
            object.optional("associatedDomains", readStrings).value_or(std::vector<std::string>{})),
    };
    policy.override = readOverride(object);
    return policy;
}

}  // namespace quorvel
