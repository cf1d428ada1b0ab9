#pragma once

// One target's log for one day: its unlocks, the missions run for them and the moments the
// daily allowance ran out. The shared library offers the record; no file or message of the
// programs carries it yet.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "QuorvelShared/policy/mission_kind.hpp"
#include "QuorvelShared/policy/unlock_event.hpp"
#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/typed_error.hpp"

namespace quorvel {

// How many times one mission kind was run.
struct MissionRunTally {
    MissionKind kind = MissionKind::squat;
    std::int64_t count = 0;

    MissionKind id() const { return kind; }

    friend bool operator==(const MissionRunTally&, const MissionRunTally&) = default;
};

// A count handed to AppUsageDailyLog::make that disagrees with its events.
enum class AppUsageDailyLogError { unlockCountMismatch, unlockedSecondsMismatch };

struct AppUsageDailyLog {
    std::string targetId;
    std::string dateKey;
    // The number of unlockEvents.
    std::int64_t unlockCount = 0;
    // The sum of the events' seconds, negative ones counted as 0 (saturating).
    std::int64_t unlockedSeconds = 0;
    // At most one tally per kind, in the order of each kind's first run.
    std::vector<MissionRunTally> missionRuns;
    std::vector<Date> allowanceExhaustedAt;
    // In the order they were added; those with an eventId are distinct by it.
    std::vector<UnlockEvent> unlockEvents;

    // Derives the two counts from the events. A given count must equal the derived one; one
    // that differs throws Error<AppUsageDailyLogError> and builds no log.
    static AppUsageDailyLog make(std::string targetId, std::string dateKey,
                                 std::optional<std::int64_t> unlockCount,
                                 std::optional<std::int64_t> unlockedSeconds,
                                 std::vector<MissionRunTally> missionRuns,
                                 std::vector<Date> allowanceExhaustedAt,
                                 std::vector<UnlockEvent> unlockEvents);

    std::string id() const { return targetId + "#" + dateKey; }

    // Records one unlock; false, changing nothing, when an event with the same eventId is
    // already in the log. An unlock without an id is always recorded.
    bool addUnlock(std::int64_t durationSeconds, std::optional<MissionKind> missionKind, Date at,
                   std::optional<std::string> eventId, std::optional<Date> scheduledEndAt);

    friend bool operator==(const AppUsageDailyLog&, const AppUsageDailyLog&) = default;
};

// Keys equal the field names, all required; dates as ISO text. Reading takes the counts as
// stored, without checking them against the events.
Json toJson(const MissionRunTally& tally);
MissionRunTally missionRunTallyFromJson(const Json& value, const std::string& path);
Json toJson(const AppUsageDailyLog& log);
AppUsageDailyLog appUsageDailyLogFromJson(const Json& value, const std::string& path);

}  // namespace quorvel
