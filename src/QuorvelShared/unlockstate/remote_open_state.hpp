#pragma once

// What "remote-open-events.json" holds: the open counts not yet frozen, the frozen batches in the
// order they were frozen, and per (profile, target) pair the last report, which folds repeated
// reports of one open into one count. Only RemoteOpenEventStore uses it.
//
// File: one compact JSON object {"activeEntries": [...], "frozenBatches": [...],
// "recentImpressions": [{"profileId", "reportTargetId", "seenAt"}]}, all keys required, dates as
// ISO text.
#include <string>
#include <string_view>
#include <vector>

#include "QuorvelShared/policy/remote_open_records.hpp"
#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel::remoteopen {

struct RecentImpression {
    std::string profileId;
    std::string reportTargetId;
    Date seenAt;

    friend bool operator==(const RecentImpression&, const RecentImpression&) = default;
};

struct State {
    std::vector<RemoteOpenDailyCount> activeEntries;
    std::vector<RemoteOpenEventBatch> frozenBatches;
    std::vector<RecentImpression> recentImpressions;

    friend bool operator==(const State&, const State&) = default;
};

Json toJson(const RecentImpression& impression);
RecentImpression recentImpressionFromJson(const Json& value, const std::string& path);
Json toJson(const State& state);
State stateFromJson(const Json& value, const std::string& path);

// Decodes the file's text; throws json::DecodeError.
State decodeState(std::string_view text);

// How long counts are kept after their last report: 60 days.
inline constexpr double retentionSeconds = 5'184'000;

// Forgets every impression, active count and frozen count whose last report lies before
// `now` minus the retention; a batch left without counts goes. Something exactly at the cutoff
// stays. Orders are kept.
void trim(State& state, Date now);

}  // namespace quorvel::remoteopen
