#pragma once

// Brings the allow windows of linked web targets into line with the linked unlocks the backend
// holds for this Mac. A grant counts when it comes from the paired iPhone (device id compared
// exactly), its signature verifies under the iPhone's signing key, its revision is not below the
// one last accepted for its target, and it has not ended; of several counted grants for one
// target the latest end time wins. Then, in one locked step of the allow-window file, every
// linked web target loses its window and those covered by a counted grant get it back: after a
// restore a linked web target has a window exactly when such a grant covers its linked target.
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "QuorvelShared/backend/backend_fetching.hpp"
#include "QuorvelShared/bridge/mac_link_configuration.hpp"
#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/unlockstate/synced_target_list.hpp"

namespace quorvel::backend {

struct LinkedUnlockStateRestorer {
    std::shared_ptr<LinkedUnlockStateFetching> fetcher;
    std::filesystem::path allowWindowFilePath;
    std::filesystem::path revisionFilePath;

    // Web-target id -> the end time granted for its linked target, for every linked web target
    // of `targetList` whose linked target received a counted grant.
    //
    // A grant that fails a check is skipped without error (an unreadable signature included).
    // Throws the fetch's errors before any file is touched; the revision store's errors end the
    // restore at that grant (revisions recorded so far stay, the windows are not touched); the
    // allow-window store's errors after the revisions were recorded.
    std::map<std::string, Date> restore(const MacLinkConfiguration& configuration,
                                        const SyncedTargetList& targetList, Date now) const;
};

}  // namespace quorvel::backend
