#pragma once

// Counts opens of locked targets that the browser extension reports, per target, local day and
// hour, so that they can ride to the iPhone with the next unlock request. Repeated reports of one
// open (one profile, one target, at most 10 seconds apart) count once; a snapshot freezes the open
// counts into a batch that is returned with every snapshot until it is acknowledged; everything
// is forgotten 60 days after its last report.
//
// The application and the native-messaging host use the file at the same time: every operation
// is a read-modify-write of the whole file under a process-wide mutex plus an flock on
// ".remote-open-events.json.lock" beside it.
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "QuorvelShared/policy/remote_open_records.hpp"
#include "QuorvelShared/support/date.hpp"

namespace quorvel {

class RemoteOpenEventStore {
public:
    static constexpr std::string_view filename = "remote-open-events.json";

    // The file in the shared state folder (made when missing).
    static std::filesystem::path defaultFilePath();

    // Touches no file.
    explicit RemoteOpenEventStore(std::filesystem::path filePath);

    const std::filesystem::path& filePath() const { return filePath_; }

    // True when the open was counted, false when it was folded into a report of the same profile
    // and target at most 10 seconds away (whose time then moves forward to the later of the two).
    [[nodiscard]] bool recordImpression(const std::string& profileId,
                                        const std::string& reportTargetId, Date at);

    // Freezes the open counts (when there are any) into a new batch and returns every frozen
    // batch not yet acknowledged, oldest `createdAt` first.
    [[nodiscard]] std::vector<RemoteOpenEventBatch> snapshotForUnlock(Date at);

    // Drops the frozen batches with these ids. An empty set touches nothing at all.
    void acknowledge(const std::set<std::string>& batchIds);

    // Every operation throws the file system's errors, the lock's errors (std::system_error with
    // errno) and json::EncodeError; the file then keeps its previous content and the change is
    // lost. Content that does not decode counts as empty and is replaced, but a read that fails
    // for another reason stops the operation rather than wipe the stored counts.

private:
    std::filesystem::path filePath_;
};

}  // namespace quorvel
