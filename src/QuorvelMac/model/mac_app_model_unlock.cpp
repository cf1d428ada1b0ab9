// Unlock requests and allow windows: the request's bookkeeping, the windows with their expiry on
// the boot clock, and the re-lock warning before a window ends.
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <set>

#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelMac/model/unlock_request_run.hpp"
#include "QuorvelPlatform/logging/failure_report.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "QuorvelShared/unlockstate/remote_open_event_store.hpp"
#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"

namespace quorvel {

namespace {

const std::string warningIdentifierPrefix = "quorvel.mac.unlock-warning.";

}  // namespace

std::string MacAppModel::warningIdentifier(const std::string& targetId) {
    return warningIdentifierPrefix + targetId;
}

void MacAppModel::requestUnlock(MacLockTarget target) {
    setOverlay(LockOverlayState{target, LockOverlayState::Status::requesting()});
    insertRecentUnlock(target.displayName, "承認待ち");
    (new UnlockRequestRun(this, std::move(target)))->startLater();
}

void MacAppModel::updateOverlay(const MacLockTarget& target,
                                const LockOverlayState::Status& status) {
    if (overlay_ && overlay_->target.id == target.id)
        setOverlay(LockOverlayState{target, status});
}

void MacAppModel::forgetRequest(const std::string& requestId) {
    pendingUnlockTargetsByRequestId_.erase(requestId);
    pendingRemoteOpenBatchIdsByRequestId_.erase(requestId);
}

void MacAppModel::acknowledgeRemoteOpenBatches(const std::string& requestId) {
    auto found = pendingRemoteOpenBatchIdsByRequestId_.find(requestId);
    if (found == pendingRemoteOpenBatchIdsByRequestId_.end())
        return;
    const std::set<std::string> ids = found->second;
    pendingRemoteOpenBatchIdsByRequestId_.erase(found);
    if (ids.empty())
        return;
    // Batches that cannot be acknowledged ride with the next request.
    runReportingFailure(lcModel,
                        {"acknowledging the remote-open batches of request " + requestId, {}},
                        [&](OperationStep& step) {
                            step.file = RemoteOpenEventStore::defaultFilePath();
                            RemoteOpenEventStore(step.file).acknowledge(ids);
                        });
}

void MacAppModel::applyApproval(std::string targetId, Date allowUntil,
                                std::optional<std::string> linkedTargetId) {
    // Without the list, only the targets linked to the one the approval names open, or the
    // approved target alone.
    const std::optional<SyncedTargetList> list =
        loadReportingFailure(lcModel, "reading the synced targets to approve " + targetId,
                             SyncedTargetStateStore::filePath, SyncedTargetStateStore::load);
    std::optional<std::string> linkedId = linkedTargetId;
    if (!linkedId && list) {
        for (const auto& entry : list->webTargets) {
            if (entry.id != targetId)
                continue;
            linkedId = entry.linkedTargetId;
            break;
        }
    }
    std::vector<std::string> ids;
    if (linkedId)
        ids = linkedWebTargetIds(*linkedId);
    if (ids.empty())
        ids = {targetId};
    grantAuthorization(ids, allowUntil);

    const auto target = std::find_if(targets_.begin(), targets_.end(),
                                     [&](const auto& t) { return t.id == targetId; });
    if (target != targets_.end()) {
        const MacLockTarget approved = *target;
        insertRecentUnlock(approved.displayName, "解除済み");
        QPointer<MacAppModel> self(this);
        QTimer::singleShot(0, this, [self, approved, allowUntil] {
            // A second grant, the window's end or the target's removal may have come first;
            // each of them withdrew the warning, which must then stay withdrawn.
            if (!self || !self->windowStillEndsAt(approved.id, allowUntil))
                return;
            self->scheduleWarning(approved, allowUntil,
                                  approved.effectivePolicy().warningBeforeEndSeconds);
        });
    }
    setOverlay(clearingOverlay(overlay_, targetId));
}

void MacAppModel::grantAuthorization(const std::vector<std::string>& targetIds, Date until) {
    const std::set<std::string> distinct(targetIds.begin(), targetIds.end());
    for (const auto& id : distinct) {
        authorizationStore_.allowUntilByTargetId[id] = until;
        // A warning of an earlier grant would announce the wrong end.
        withdrawWarning(id);
        storeAllowWindow(id, until);
        scheduleAuthorizationExpiry(id, until);
    }
    raiseAuthorizationRevision();
}

void MacAppModel::cancelExpiry(const std::string& targetId) {
    auto found = authorizationExpiryTasks_.find(targetId);
    if (found == authorizationExpiryTasks_.end())
        return;
    expiryDeadlines_->cancel(found->second);
    authorizationExpiryTasks_.erase(found);
}

void MacAppModel::scheduleAuthorizationExpiry(const std::string& targetId, Date allowUntil) {
    cancelExpiry(targetId);
    const double secondsLeft = allowUntil.secondsSince(now());
    if (!(secondsLeft > 0)) {
        authorizationDidExpire(targetId);
        return;
    }
    // A replaced or cancelled deadline never runs, so this one ends its own window.
    authorizationExpiryTasks_[targetId] = expiryDeadlines_->after(
        secondsLeft, [this, targetId] { authorizationDidExpire(targetId); });
}

void MacAppModel::authorizationDidExpire(std::string targetId) {
    authorizationExpiryTasks_.erase(targetId);
    authorizationStore_.allowUntilByTargetId.erase(targetId);
    withdrawWarning(targetId);
    removeStoredAllowWindow(targetId);
    raiseAuthorizationRevision();
}

void MacAppModel::storeAllowWindow(const std::string& targetId, Date until) {
    runReportingFailure(lcModel, {"granting the allow window of " + targetId, {}},
                        [&](OperationStep& step) {
                            step.file = AllowWindowStateStore::filePath();
                            AllowWindowStateStore::grant(targetId, until, step.file, *deps_.clock);
                        });
}

void MacAppModel::removeStoredAllowWindow(const std::string& targetId) {
    runReportingFailure(lcModel, {"revoking the allow window of " + targetId, {}},
                        [&](OperationStep& step) {
                            step.file = AllowWindowStateStore::filePath();
                            AllowWindowStateStore::revoke(targetId, step.file, *deps_.clock);
                        });
}

void MacAppModel::raiseAuthorizationRevision() {
    ++authorizationRevision_;
    Q_EMIT authorizationRevisionChanged();
    Q_EMIT allowWindowsChanged();
}

void MacAppModel::scheduleWarning(const MacLockTarget& target, Date allowUntil,
                                  long long warningBeforeEndSeconds) {
    if (warningBeforeEndSeconds < 1 || !deps_.userNotifications)
        return;
    const double delay =
        allowUntil.addingSeconds(-static_cast<double>(warningBeforeEndSeconds)).secondsSince(now());
    if (!(delay > 0))
        return;
    if (!deps_.userNotifications->requestAuthorization())
        return;
    const std::string identifier = warningIdentifier(target.id);
    const std::string body = target.displayName + " は " + std::to_string(warningBeforeEndSeconds) +
                             "秒後に再ロックされます。";
    deps_.userNotifications->removeNotification(identifier);
    try {
        deps_.userNotifications->schedule(identifier, "まもなく再ロック", body,
                                          std::max(delay, 1.0));
    } catch (const std::exception& error) {
        // The window ends on time all the same, only unannounced.
        reportFailure(lcModel, {"scheduling the re-lock warning of " + target.id, {}},
                      error.what());
    }
}

bool MacAppModel::windowStillEndsAt(const std::string& targetId, Date allowUntil) const {
    const auto found = authorizationStore_.allowUntilByTargetId.find(targetId);
    return found != authorizationStore_.allowUntilByTargetId.end() && found->second == allowUntil;
}

void MacAppModel::withdrawWarning(const std::string& targetId) {
    if (deps_.userNotifications)
        deps_.userNotifications->removeNotification(warningIdentifier(targetId));
}

std::optional<Date> MacAppModel::allowUntil(const std::string& targetId) const {
    if (!marketingAllowWindows_.empty()) {
        auto found = marketingAllowWindows_.find(targetId);
        if (found != marketingAllowWindows_.end())
            return found->second;
    }
    return authorizationStore_.allowUntil(targetId, now());
}

std::map<std::string, Date> MacAppModel::activeAllowWindows() const {
    auto windows = authorizationStore_.activeWindows(now());
    for (const auto& [id, until] : marketingAllowWindows_)
        windows[id] = until;
    return windows;
}

}  // namespace quorvel
