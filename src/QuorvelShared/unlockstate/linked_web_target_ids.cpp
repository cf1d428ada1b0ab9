#include "QuorvelShared/unlockstate/linked_web_target_ids.hpp"

#include <exception>
#include <optional>

#include "QuorvelShared/support/log.hpp"
#include "QuorvelShared/support/operation_step.hpp"
#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"

namespace quorvel {

std::vector<std::string> linkedWebTargetIds(const std::string& linkedTargetId) {
    std::optional<SyncedTargetList> list;
    OperationStep step{"reading the synced targets linked to " + linkedTargetId, {}};
    try {
        step.file = SyncedTargetStateStore::filePath();
        list = SyncedTargetStateStore::load();
    } catch (const std::exception& error) {
        // None found: the caller opens the one target it was asked for.
        logWarning(LogArea::state, describeFailure(step, error.what()));
        return {};
    }
    std::vector<std::string> ids;
    if (!list)
        return ids;
    for (const auto& target : list->webTargets) {
        if (target.linkedTargetId == linkedTargetId)
            ids.push_back(target.id);
    }
    return ids;
}

}  // namespace quorvel
