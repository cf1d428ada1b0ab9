#pragma once
// What the lock panel shows, and the unlock history rows.
#include <string>

#include "QuorvelMac/model/mac_lock_target.hpp"
#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/uuid.hpp"

namespace quorvel {

struct LockOverlayState {
    struct Status {
        enum class Kind {
            waitingForIPhone,
            approved,
            failed,
            locked,
            requesting,
            confirmingIPhoneDelivery
        };
        Kind kind = Kind::locked;
        // `expiresAt` of waitingForIPhone, `allowUntil` of approved; zero otherwise.
        Date date{};
        // The text of failed; empty otherwise.
        std::string message;

        static Status waitingForIPhone(Date expiresAt) {
            return {Kind::waitingForIPhone, expiresAt, {}};
        }
        static Status approved(Date allowUntil) { return {Kind::approved, allowUntil, {}}; }
        static Status failed(std::string text) { return {Kind::failed, {}, std::move(text)}; }
        static Status locked() { return {Kind::locked, {}, {}}; }
        static Status requesting() { return {Kind::requesting, {}, {}}; }
        static Status confirmingIPhoneDelivery() {
            return {Kind::confirmingIPhoneDelivery, {}, {}};
        }

        friend bool operator==(const Status&, const Status&) = default;
    };

    MacLockTarget target;
    Status status;

    friend bool operator==(const LockOverlayState&, const LockOverlayState&) = default;
};

// No overlay when `current` shows the target with `targetId`, else `current` unchanged.
inline std::optional<LockOverlayState> clearingOverlay(
    const std::optional<LockOverlayState>& current, const std::string& targetId) {
    if (current && current->target.id == targetId)
        return std::nullopt;
    return current;
}

// One row of the unlock history, newest first.
struct RecentUnlock {
    Uuid id;
    std::string targetName;
    // "承認待ち" when a request starts, "解除済み" when an approval was applied.
    std::string status;
    Date date{};
    friend bool operator==(const RecentUnlock&, const RecentUnlock&) = default;
};

}  // namespace quorvel
