#include "QuorvelShared/policy/daily_local_stats.hpp"

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {
namespace {

std::vector<DailyLocalStats::TargetStats> readTargetStats(const Json& value,
                                                          const std::string& path) {
    return json::readArray(value, path, targetStatsFromJson);
}

}  // namespace

Json toJson(const DailyLocalStats::TargetStats& stats) {
    Json value = Json::object();
    value["localTargetId"] = stats.localTargetId;
    value["unlockedSeconds"] = stats.unlockedSeconds;
    value["unlockCount"] = stats.unlockCount;
    return value;
}

DailyLocalStats::TargetStats targetStatsFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader object(value, path);
    return DailyLocalStats::TargetStats{
        .localTargetId = object.string("localTargetId"),
        .unlockedSeconds = object.int64("unlockedSeconds"),
        .unlockCount = object.int64("unlockCount"),
    };
}

Json toJson(const DailyLocalStats& stats) {
    Json targets = json::arrayOf(stats.targetStats);
    Json value = Json::object();
    value["date"] = stats.date;
    value["totalUnlockedSeconds"] = stats.totalUnlockedSeconds;
    value["unlockCount"] = stats.unlockCount;
    value["targetStats"] = std::move(targets);
    return value;
}

DailyLocalStats dailyLocalStatsFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader object(value, path);
    return DailyLocalStats{
        .date = object.string("date"),
        .totalUnlockedSeconds = object.int64("totalUnlockedSeconds"),
        .unlockCount = object.int64("unlockCount"),
        .targetStats = object.required("targetStats", readTargetStats),
    };
}

}  // namespace quorvel
