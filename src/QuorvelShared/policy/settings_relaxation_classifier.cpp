#include "QuorvelShared/policy/settings_relaxation_classifier.hpp"

namespace quorvel {
namespace {

std::int64_t longestOption(const std::vector<std::int64_t>& options) {
    return options.empty() ? 0 : *std::max_element(options.begin(), options.end());
}

bool loosensDurations(const std::vector<std::int64_t>& from, const std::vector<std::int64_t>& to) {
    const std::int64_t newLongest = longestOption(to);
    return from.empty() ? newLongest > 0 : newLongest > longestOption(from);
}

bool loosensMission(const MissionPolicy& from, const MissionPolicy& to) {
    if (to.baseQuantity < from.baseQuantity) {
        return true;
    }
    if (!from.durationIncreaseEnabled) {
        return false;
    }
    if (!to.durationIncreaseEnabled ||
        to.quantityIncreasePerInterval < from.quantityIncreasePerInterval ||
        to.quantityIncreaseIntervalMinutes > from.quantityIncreaseIntervalMinutes) {
        return true;
    }
    if (!from.maximumQuantity) {
        return to.maximumQuantity.has_value();
    }
    // A cap that disappears does not count: without a cap the quantity only grows.
    return to.maximumQuantity && *to.maximumQuantity < *from.maximumQuantity;
}

bool loosensMissions(const std::vector<MissionPolicy>& from, const std::vector<MissionPolicy>& to) {
    // Kinds are unique within a list. Should a stored list break that rule, an unchanged list
    // still passes, and every entry of the new list is held against the first old entry of its
    // kind, so a duplicate cannot slip a looser mission through.
    if (from == to) {
        return false;
    }
    for (const auto& mission : to) {
        const auto old = std::find_if(from.begin(), from.end(), [&](const MissionPolicy& m) {
            return m.kind == mission.kind;
        });
        if (old == from.end() || loosensMission(*old, mission)) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool SettingsRelaxationClassifier::requiresConfirmation(const DefaultLockPolicy& from,
                                                        const DefaultLockPolicy& to) {
    if (to.lockMode != from.lockMode || to.allowanceSecondsPerDay > from.allowanceSecondsPerDay) {
        return true;
    }
    // A usage limit of 0 means none: adding one tightens, removing or raising one loosens.
    if (from.usageLimitSecondsPerDay != 0 &&
        (to.usageLimitSecondsPerDay == 0 ||
         to.usageLimitSecondsPerDay > from.usageLimitSecondsPerDay)) {
        return true;
    }
    if (to.breakDurationSeconds < from.breakDurationSeconds ||
        (from.breakScope == BreakScope::allApps && to.breakScope == BreakScope::perApp) ||
        (!from.customDurationSelectionEnabled && to.customDurationSelectionEnabled)) {
        return true;
    }
    return loosensDurations(from.durationOptions, to.durationOptions) ||
           loosensMissions(from.missions, to.missions);
}

}  // namespace quorvel
