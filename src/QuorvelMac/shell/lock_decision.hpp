#pragma once

// Whether the application in front is locked now, decided from the targets, the open allow
// windows and the window-observation permission. Pure: the application applies the outcome.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "QuorvelMac/model/mac_lock_target.hpp"
#include "QuorvelMac/model/overlay_state.hpp"
#include "QuorvelPlatform/windows/running_application_snapshot.hpp"
#include "QuorvelShared/support/date.hpp"

namespace quorvel {

struct LockDecision {
    enum class Kind {
        release,  // not locked: forget the blocked process and close the panel
        resume,   // locked, and the overlay already shows this target: show it as it is
        lockNew,  // locked: show a fresh "locked" overlay for the target
    };
    Kind kind = Kind::release;
    std::optional<MacLockTarget> target;
    pid_t processIdentifier = 0;

    friend bool operator==(const LockDecision&, const LockDecision&) = default;
};

struct LockDecisionInput {
    bool accessibilityPermissionGranted = false;
    std::vector<MacLockTarget> targets;
    std::map<std::string, Date> activeAllowWindows;
    Date now{};
    std::optional<LockOverlayState> overlay;
};

// The first enabled application target whose identifier equals the snapshot's bundle identifier
// exactly decides; an allow window for it that ends later than now releases it.
LockDecision decideLock(const RunningApplicationSnapshot& frontmost,
                        const LockDecisionInput& input);

}  // namespace quorvel
