#pragma once

// One day's unlock totals over all targets, with the totals of each target. The shared library
// offers the record; no file or message of the programs carries it yet.
#include <cstdint>
#include <string>
#include <vector>

#include "QuorvelShared/support/json.hpp"

namespace quorvel {

struct DailyLocalStats {
    struct TargetStats {
        std::string localTargetId;
        std::int64_t unlockedSeconds = 0;
        std::int64_t unlockCount = 0;

        const std::string& id() const { return localTargetId; }

        friend bool operator==(const TargetStats&, const TargetStats&) = default;
    };

    std::string date;
    std::int64_t totalUnlockedSeconds = 0;
    std::int64_t unlockCount = 0;
    std::vector<TargetStats> targetStats;

    friend bool operator==(const DailyLocalStats&, const DailyLocalStats&) = default;
};

// Keys equal the field names, all required.
Json toJson(const DailyLocalStats::TargetStats& stats);
DailyLocalStats::TargetStats targetStatsFromJson(const Json& value, const std::string& path);
Json toJson(const DailyLocalStats& stats);
DailyLocalStats dailyLocalStatsFromJson(const Json& value, const std::string& path);

}  // namespace quorvel
