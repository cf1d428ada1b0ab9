#include "QuorvelShared/policy/mission_policy.hpp"

#include <algorithm>

#include "QuorvelShared/support/arithmetic.hpp"

namespace quorvel {

std::int64_t MissionPolicy::quantity(std::int64_t seconds) const {
    if (!durationIncreaseEnabled || quantityIncreasePerInterval < 1) {
        return baseQuantity;
    }
    const std::int64_t minutes = std::max<std::int64_t>(quantityIncreaseIntervalMinutes, 1);
    const std::int64_t interval = saturatingMultiply(minutes, 60);
    const std::int64_t requested = std::max<std::int64_t>(seconds, 0);
    const std::int64_t steps =
        roundHalfAwayFromZero(static_cast<double>(requested) / static_cast<double>(interval));
    const std::int64_t demanded =
        saturatingAdd(baseQuantity, saturatingMultiply(quantityIncreasePerInterval, steps));
    // A stored cap below the base wins too: the cap is the user's last word.
    return maximumQuantity ? std::min(demanded, *maximumQuantity) : demanded;
}

void MissionPolicy::updateDurationIncreaseEnabled(bool enabled) {
    durationIncreaseEnabled = enabled;
    if (!enabled) {
        return;
    }
    quantityIncreasePerInterval = std::max<std::int64_t>(quantityIncreasePerInterval, 1);
    quantityIncreaseIntervalMinutes = std::max<std::int64_t>(quantityIncreaseIntervalMinutes, 1);
    if (!maximumQuantity) {
        maximumQuantity = std::max<std::int64_t>(baseQuantity, 1);
    }
}

void MissionPolicy::updateQuantityIncreaseIntervalMinutes(std::int64_t minutes) {
    quantityIncreaseIntervalMinutes = std::clamp<std::int64_t>(minutes, 1, 180);
}

void MissionPolicy::updateBaseQuantity(std::int64_t quantity) {
    baseQuantity = std::max<std::int64_t>(quantity, 0);
    if (maximumQuantity) {
        maximumQuantity = std::max<std::int64_t>(*maximumQuantity, quantity >= 1 ? quantity : 1);
    }
}

void MissionPolicy::updateMaximumQuantity(std::int64_t maximum) {
    maximumQuantity = std::max({maximum, baseQuantity, std::int64_t{1}});
}

MissionPolicy MissionPolicy::defaultMission(MissionKind kind) {
    switch (kind) {
        case MissionKind::squat:
            return {kind, 0, 1, 1, true, 20};
        case MissionKind::shake:
            return {kind, 5, 1, 1, true, 20};
        case MissionKind::calculation:
        case MissionKind::math:
        case MissionKind::vocabulary:
            return {kind, 1, 1, 1, true, 10};
        case MissionKind::characterInput:
            return {kind, 12, 1, 5, true, 30};
        case MissionKind::steps:
            return {kind, 10, 5, 1, true, 30};
        case MissionKind::breathing:
            return {kind, 30, 0, 1, false, std::nullopt};
    }
    return {MissionKind::squat, 0, 1, 1, true, 20};
}

std::vector<MissionPolicy> orderedForPresentation(const std::vector<MissionPolicy>& missions) {
    std::vector<MissionPolicy> ordered = missions;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const MissionPolicy& a, const MissionPolicy& b) {
                         return presentationIndex(a.kind) < presentationIndex(b.kind);
                     });
    return ordered;
}

Json toJson(const MissionPolicy& mission) {
    Json value = Json::object();
    value["kind"] = toJson(mission.kind);
    value["baseQuantity"] = mission.baseQuantity;
    value["quantityIncreasePerInterval"] = mission.quantityIncreasePerInterval;
    value["quantityIncreaseIntervalMinutes"] = mission.quantityIncreaseIntervalMinutes;
    value["durationIncreaseEnabled"] = mission.durationIncreaseEnabled;
    if (mission.maximumQuantity) {
        value["maximumQuantity"] = *mission.maximumQuantity;
    }
    return value;
}

MissionPolicy missionPolicyFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader object(value, path);
    return MissionPolicy{
        .kind = object.required("kind", missionKindFromJson),
        .baseQuantity = object.int64("baseQuantity"),
        .quantityIncreasePerInterval = object.int64("quantityIncreasePerInterval"),
        .quantityIncreaseIntervalMinutes = object.int64("quantityIncreaseIntervalMinutes"),
        .durationIncreaseEnabled = object.boolean("durationIncreaseEnabled"),
        .maximumQuantity = object.optionalInt64("maximumQuantity"),
    };
}

}  // namespace quorvel
