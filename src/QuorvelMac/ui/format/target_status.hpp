#pragma once

// How the lock state of application targets is worded: the card's pill, the dashboard's
// unlocked rows and the menu's summary, all from the allow-window ends the model reports.
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "QuorvelMac/ui/kit/tone.hpp"
#include "QuorvelShared/support/date.hpp"

namespace quorvel::ui {

// The unlock-request submenu lists at most this many targets.
inline constexpr std::size_t menuUnlockItemLimit = 8;

// "解除中・残り" + the remaining time, green, open lock.
PillContent unlockedPill(Date until, Date at);
// The application card's status at `at`: switched off, unlocked (an end strictly later than
// `at`), else locked.
PillContent targetCardPill(bool enabled, std::optional<Date> allowUntil, Date at);
// A synced web target's row: "有効" or "無効", no symbol.
PillContent webTargetPill(bool enabled);

// "ロック中のアプリはありません", or "<n>個のアプリをロック中" for n = enabled - unlocked.
std::string lockSummary(std::size_t enabledCount, std::size_t unlockedCount);
// "<name> 解除中・残り<time>".
std::string menuUnlockedLine(const std::string& displayName, Date until, Date at);
// "<name>（解除中）" or "<name>の解除を申請".
std::string menuRequestItemTitle(const std::string& displayName, bool unlocked);

// The checklist's headline for 1 to 3 open required steps.
std::string setupHeadline(int remainingRequiredSteps);

// The (target, end) pairs of targets whose allow window ends strictly after `at`, in order.
template <class Target, class AllowUntil>
std::vector<std::pair<Target, Date>> unlockedTargets(const std::vector<Target>& targets,
                                                     AllowUntil&& allowUntil, Date at) {
    std::vector<std::pair<Target, Date>> result;
    for (const Target& target : targets) {
        const std::optional<Date> end = allowUntil(target);
        if (end && *end > at) {
            result.emplace_back(target, *end);
        }
    }
    return result;
}

}  // namespace quorvel::ui
