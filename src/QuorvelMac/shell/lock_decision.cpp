#include "QuorvelMac/shell/lock_decision.hpp"

#include <algorithm>

namespace quorvel {

LockDecision decideLock(const RunningApplicationSnapshot& frontmost,
                        const LockDecisionInput& input) {
    const LockDecision release{};
    if (!input.accessibilityPermissionGranted || !frontmost.bundleIdentifier)
        return release;
    const auto found =
        std::find_if(input.targets.begin(), input.targets.end(), [&](const MacLockTarget& t) {
            return t.enabled && t.kind == MacLockTarget::Kind::macApp &&
                   t.identifier == *frontmost.bundleIdentifier;
        });
    if (found == input.targets.end())
        return release;
    if (const auto window = input.activeAllowWindows.find(found->id);
        window != input.activeAllowWindows.end() && window->second > input.now) {
        return release;
    }
    const bool sameTarget = input.overlay && input.overlay->target.id == found->id;
    return {sameTarget ? LockDecision::Kind::resume : LockDecision::Kind::lockNew, *found,
            frontmost.processIdentifier};
}

}  // namespace quorvel
