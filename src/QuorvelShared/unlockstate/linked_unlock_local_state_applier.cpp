#include "QuorvelShared/unlockstate/linked_unlock_local_state_applier.hpp"

#include <set>

#include "QuorvelShared/support/typed_error.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "QuorvelShared/unlockstate/linked_unlock_revision_state_store.hpp"

namespace quorvel::LinkedUnlockLocalStateApplier {

bool apply(const std::string& linkedTargetId, std::int64_t revision, Date approvedUntil,
           const std::vector<std::string>& webTargetIds, Date now,
           const std::filesystem::path& revisionFilePath,
           const std::filesystem::path& allowWindowsFilePath) {
    const std::set<std::string> targets(webTargetIds.begin(), webTargetIds.end());
    if (targets.empty()) {
        throw Error<LinkedUnlockLocalStateApplyError>(
            LinkedUnlockLocalStateApplyError::noLinkedWebTargets,
            "the linked unlock names no web target");
    }
    if (!LinkedUnlockRevisionStateStore::accept(linkedTargetId, revision, revisionFilePath)) {
        return false;
    }
    AllowWindowMap grants;
    if (approvedUntil > now) {
        for (const std::string& targetId : targets) {
            grants.emplace(targetId, approvedUntil);
        }
    }
    AllowWindowStateStore::reconcileLinkedTargets(targets, grants, now, allowWindowsFilePath);
    return true;
}

}  // namespace quorvel::LinkedUnlockLocalStateApplier
