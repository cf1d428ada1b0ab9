#include "QuorvelShared/unlockstate/linked_web_target_ids.hpp"

#include <exception>
#include <optional>

#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"

namespace quorvel {

std::vector<std::string> linkedWebTargetIds(const std::string& linkedTargetId) {
    std::optional<SyncedTargetList> list;
    try {
        list = SyncedTargetStateStore::load();
    } catch (const std::exception&) {
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
