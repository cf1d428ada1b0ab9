// Editing the lock targets and taking over the web targets the iPhone syncs.
#include <set>

#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelPlatform/logging/failure_report.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelShared/policy/mac_target_policy_store.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "QuorvelShared/unlockstate/linked_web_target_ids.hpp"
#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"

namespace quorvel {

void MacAppModel::saveTargets() {
    try {
        MacTargetStore::save(targets_);
        MacTargetPolicyStore::PolicyMap policies;
        for (const auto& target : targets_)
            if (!target.inheritsDefaultPolicy)
                policies.emplace(target.id, target.effectivePolicy());
        MacTargetPolicyStore::save(policies);
        setTargetStoreError(std::nullopt);
    } catch (const std::exception& error) {
        setTargetStoreError(std::string(error.what()));
    }
}

void MacAppModel::applySyncedTargets(const SyncedTargetList& list) {
    std::vector<MacLockTarget> next;
    std::set<std::string> ids;
    for (const auto& entry : list.webTargets) {
        // Ids are the lookup key of windows and policies: a repeated id keeps its first entry.
        if (!ids.insert(entry.id).second)
            continue;
        MacLockTarget target;
        target.id = entry.id;
        target.kind = MacLockTarget::Kind::webDomain;
        target.displayName = entry.displayName;
        target.identifier = entry.domain;
        target.enabled = entry.enabled;
        target.inheritsDefaultPolicy = false;
        target.policyOverride = entry.policy;
        next.push_back(std::move(target));
    }
    for (auto target : targets_) {
        if (target.kind != MacLockTarget::Kind::macApp || ids.count(target.id))
            continue;
        if (list.macAppUnlockPolicy) {
            target.policyOverride = *list.macAppUnlockPolicy;
            target.inheritsDefaultPolicy = false;
        }
        next.push_back(std::move(target));
    }
    setTargets(next);
    setWebTargetsManagedByIOS(true);
    setTargetSyncVersion(static_cast<long long>(list.version));
    setSettingsRelaxationConfiguration(list.settingsRelaxationProtection);
    saveTargets();
}

void MacAppModel::addMacApplicationTargets(std::vector<MacApplicationDescriptor> descriptors) {
    if (descriptors.empty())
        return;
    const std::set<std::string> excluded = {deps_.ownBundleIdentifier,
                                            std::string(macApplicationId)};
    std::vector<MacLockTarget> next = targets_;
    int added = 0;
    int duplicates = 0;
    bool refusedSelf = false;
    for (const auto& descriptor : descriptors) {
        if (excluded.count(descriptor.bundleIdentifier)) {
            refusedSelf = true;
            continue;
        }
        bool present = false;
        for (const auto& target : next)
            present = present || (target.kind == MacLockTarget::Kind::macApp &&
                                  target.identifier == descriptor.bundleIdentifier);
        if (present) {
            ++duplicates;
            continue;
        }
        next.push_back(MacLockTarget::macApplication(descriptor));
        ++added;
    }
    setTargets(next);
    saveTargets();
    std::vector<std::string> parts;
    if (added > 0) {
        finishAppSelectionStep();
        refreshAccessibilityPermission(true);
        parts.push_back(std::to_string(added) + "件のアプリを追加しました。");
    } else {
        refreshAccessibilityPermission(false);
    }
    if (duplicates > 0)
        parts.push_back("追加済みのアプリ " + std::to_string(duplicates) +
                        "件は変更していません。");
    if (refusedSelf)
        parts.push_back("Pellorim自身はロック対象にできません。");
    if (parts.empty()) {
        setApplicationSelectionMessage(std::nullopt);
        return;
    }
    std::string message = parts.front();
    for (std::size_t i = 1; i < parts.size(); ++i)
        message += " " + parts[i];
    setApplicationSelectionMessage(message);
}

void MacAppModel::finishAppSelectionStep() {
    if (appSelectionStepFinished_)
        return;
    setAppSelectionStepFinished(true);
    rememberAppSelectionStepFinished();
}

void MacAppModel::rememberAppSelectionStepFinished() {
    try {
        setupProgressStore_.markAppSelectionStepFinished();
    } catch (const std::exception& error) {
        // The flag is derived again from the targets at the next start.
        reportFailure(lcModel, {"remembering that the application step is finished", {}},
                      error.what());
    }
}

void MacAppModel::removeMacAppTarget(std::string id) {
    bool found = false;
    for (const auto& target : targets_)
        found = found || (target.kind == MacLockTarget::Kind::macApp && target.id == id);
    if (!found)
        return;
    std::vector<MacLockTarget> next;
    for (const auto& target : targets_)
        if (target.id != id)
            next.push_back(target);
    setTargets(next);
    cancelExpiry(id);
    authorizationStore_.allowUntilByTargetId.erase(id);
    withdrawWarning(id);
    removeStoredAllowWindow(id);
    raiseAuthorizationRevision();
    if (overlay_ && overlay_->target.id == id)
        setOverlay(std::nullopt);
    saveTargets();
}

void MacAppModel::setMacAppTargetEnabled(std::string id, bool enabled) {
    for (std::size_t i = 0; i < targets_.size(); ++i) {
        if (targets_[i].id != id || targets_[i].kind != MacLockTarget::Kind::macApp)
            continue;
        std::vector<MacLockTarget> next = targets_;
        next[i].enabled = enabled;
        setTargets(next);
        saveTargets();
        return;
    }
}

std::vector<std::string> MacAppModel::linkedWebTargetIds(const std::string& targetId) const {
    return quorvel::linkedWebTargetIds(targetId);
}

}  // namespace quorvel
