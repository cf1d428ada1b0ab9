#include "QuorvelMac/ui/format/target_status.hpp"

#include "QuorvelMac/ui/format/remaining_time_formatter.hpp"

namespace quorvel::ui {

PillContent unlockedPill(Date until, Date at) {
    return {"解除中・残り" + RemainingTimeFormatter::text(until, at), Tone::positive,
            "lock.open.fill"};
}

PillContent targetCardPill(bool enabled, std::optional<Date> allowUntil, Date at) {
    if (!enabled) {
        return {"ロック無効", Tone::neutral, "pause.circle"};
    }
    if (allowUntil && *allowUntil > at) {
        return unlockedPill(*allowUntil, at);
    }
    return {"ロック中", Tone::warning, "lock.fill"};
}

PillContent webTargetPill(bool enabled) {
    return enabled ? PillContent{"有効", Tone::positive, std::nullopt}
                   : PillContent{"無効", Tone::neutral, std::nullopt};
}

std::string lockSummary(std::size_t enabledCount, std::size_t unlockedCount) {
    if (unlockedCount >= enabledCount) {
        return "ロック中のアプリはありません";
    }
    return std::to_string(enabledCount - unlockedCount) + "個のアプリをロック中";
}

std::string menuUnlockedLine(const std::string& displayName, Date until, Date at) {
    return displayName + " 解除中・残り" + RemainingTimeFormatter::text(until, at);
}

std::string menuRequestItemTitle(const std::string& displayName, bool unlocked) {
    return displayName + (unlocked ? "（解除中）" : "の解除を申請");
}

std::string setupHeadline(int remainingRequiredSteps) {
    if (remainingRequiredSteps == 1) {
        return "あと1ステップでロックを開始できます。";
    }
    return "あと" + std::to_string(remainingRequiredSteps) + "ステップでロックを開始できます。";
}

}  // namespace quorvel::ui
