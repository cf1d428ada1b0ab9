#pragma once

// Applies one linked unlock (an unlock, signed by the iPhone, of a target to which synced web
// targets are linked) to the local state: the revision is checked first, and only an accepted
// revision gives the linked web targets exactly the window of that unlock.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "QuorvelShared/support/date.hpp"

namespace quorvel {

enum class LinkedUnlockLocalStateApplyError {
    noLinkedWebTargets,  // the linked unlock names no web target to apply it to
};

namespace LinkedUnlockLocalStateApplier {

// True when applied, false when the revision was refused (the allow windows are then untouched).
// An `approvedUntil` not later than `now` ends the windows of all the web targets. Throws
// Error<LinkedUnlockLocalStateApplyError> for an empty `webTargetIds` before anything else, and
// passes on the errors of both stores. The revision is stored before the windows are written, so
// after a failed window write the same unlock is accepted again and repeats that step.
bool apply(const std::string& linkedTargetId, std::int64_t revision, Date approvedUntil,
           const std::vector<std::string>& webTargetIds, Date now,
           const std::filesystem::path& revisionFilePath,
           const std::filesystem::path& allowWindowsFilePath);

}  // namespace LinkedUnlockLocalStateApplier
}  // namespace quorvel
