#pragma once

// The sending side's rule for turning its lock targets into the web targets of the synced list,
// kept here so that both ends follow one definition. Each domain occurs at most once: first the
// domains of iPhone application targets (linked entries), then stand-alone web targets whose id
// carries the given prefix; within each pass the earlier target or text wins.
#include <string_view>
#include <vector>

#include "QuorvelShared/policy/default_lock_policy.hpp"
#include "QuorvelShared/policy/target_lock_policy.hpp"
#include "QuorvelShared/unlockstate/synced_target_list.hpp"

namespace quorvel::SyncedWebTargetBuilder {

std::vector<SyncedWebTarget> build(const std::vector<TargetLockPolicy>& targets,
                                   const DefaultLockPolicy& defaultPolicy,
                                   std::string_view standaloneTargetIdPrefix);

}  // namespace quorvel::SyncedWebTargetBuilder
