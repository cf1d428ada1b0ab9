#include "QuorvelShared/unlockstate/remote_open_event_store.hpp"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "QuorvelShared/support/arithmetic.hpp"
#include "QuorvelShared/support/file_lock.hpp"
#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "QuorvelShared/support/uuid.hpp"
#include "QuorvelShared/support/xdg_paths.hpp"
#include "QuorvelShared/unlockstate/remote_open_calendar.hpp"
#include "QuorvelShared/unlockstate/remote_open_state.hpp"
#include "QuorvelShared/unlockstate/unlock_state_file.hpp"

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using remoteopen::State;

// Reports of one open arrive from several listeners of the extension within a few seconds.
constexpr double foldingSeconds = 10.0;

// One mutex for every store of the process, whatever its file; not the mailbox's.
std::mutex& processLock() {
    static std::mutex lock;
    return lock;
}

template <class Body>
decltype(auto) withLock(const fs::path& filePath, Body&& body) {
    const fs::path lockFile = filePath.parent_path() / ".remote-open-events.json.lock";
    return files::withLockedFile(processLock(), lockFile, std::forward<Body>(body));
}

State readState(const fs::path& filePath) {
    return unlockstate::decodeOrEmpty<State>(unlockstate::readForChange(filePath),
                                             remoteopen::decodeState);
}

void writeState(const State& state, const fs::path& filePath) {
    files::createDirectories(filePath.parent_path());
    files::writeAtomically(filePath, json::write(remoteopen::toJson(state), json::Style::compact));
}

void countOpen(State& state, const std::string& targetId, Date at) {
    const LocalDayAndHour local = localDayAndHour(at);
    const auto entry = std::find_if(
        state.activeEntries.begin(), state.activeEntries.end(),
        [&](const auto& e) { return e.targetId == targetId && e.dateKey == local.dateKey; });
    if (entry == state.activeEntries.end()) {
        std::vector<std::int64_t> hours(24, 0);
        hours[static_cast<std::size_t>(local.hour)] = 1;
        state.activeEntries.push_back(
            RemoteOpenDailyCount::make(targetId, local.dateKey, 1, hours, at));
        return;
    }
    // A stored list need not have 24 hours; bring it to shape before indexing into it.
    *entry = RemoteOpenDailyCount::make(entry->targetId, entry->dateKey, entry->count,
                                        entry->hourlyCounts, entry->lastImpressionAt);
    auto& hourCount = entry->hourlyCounts[static_cast<std::size_t>(local.hour)];
    hourCount = saturatingAdd(hourCount, 1);
    entry->count = saturatingAdd(entry->count, 1);
    entry->lastImpressionAt = std::max(entry->lastImpressionAt, at);
}

}  // namespace

fs::path RemoteOpenEventStore::defaultFilePath() {
    return paths::sharedStateFile(filename);
}

RemoteOpenEventStore::RemoteOpenEventStore(fs::path filePath) : filePath_(std::move(filePath)) {}

bool RemoteOpenEventStore::recordImpression(const std::string& profileId,
                                            const std::string& reportTargetId, Date at) {
    return withLock(filePath_, [&] {
        State state = readState(filePath_);
        auto& impressions = state.recentImpressions;
        const auto impression =
            std::find_if(impressions.begin(), impressions.end(), [&](const auto& i) {
                return i.profileId == profileId && i.reportTargetId == reportTargetId;
            });
        bool counted = true;
        if (impression == impressions.end()) {
            impressions.push_back({profileId, reportTargetId, at});
        } else {
            counted = !(std::fabs(impression->seenAt.secondsSince(at)) <= foldingSeconds);
            impression->seenAt = std::max(impression->seenAt, at);
        }
        if (counted) {
            countOpen(state, reportTargetId, at);
        }
        remoteopen::trim(state, at);
        writeState(state, filePath_);
        return counted;
    });
}

std::vector<RemoteOpenEventBatch> RemoteOpenEventStore::snapshotForUnlock(Date at) {
    return withLock(filePath_, [&] {
        State state = readState(filePath_);
        remoteopen::trim(state, at);
        if (!state.activeEntries.empty()) {
            std::vector<RemoteOpenDailyCount> entries = std::move(state.activeEntries);
            state.activeEntries.clear();
            std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
                return std::tie(a.dateKey, a.targetId) < std::tie(b.dateKey, b.targetId);
            });
            state.frozenBatches.push_back({newUuidText(), at, std::move(entries)});
        }
        writeState(state, filePath_);
        std::vector<RemoteOpenEventBatch> batches = state.frozenBatches;
        std::stable_sort(batches.begin(), batches.end(),
                         [](const auto& a, const auto& b) { return a.createdAt < b.createdAt; });
        return batches;
    });
}

void RemoteOpenEventStore::acknowledge(const std::set<std::string>& batchIds) {
    if (batchIds.empty()) {
        return;
    }
    withLock(filePath_, [&] {
        State state = readState(filePath_);
        std::erase_if(state.frozenBatches, [&](const RemoteOpenEventBatch& batch) {
            return batchIds.contains(batch.id);
        });
        writeState(state, filePath_);
    });
}

}  // namespace quorvel
