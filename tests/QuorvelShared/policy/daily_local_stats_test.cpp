#include "QuorvelShared/policy/daily_local_stats.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {
namespace {

TEST(DailyLocalStats, JsonRoundTripAndRequiredKeys) {
    const DailyLocalStats stats{
        .date = "2024-05-01",
        .totalUnlockedSeconds = 900,
        .unlockCount = 3,
        .targetStats = {{"a", 600, 2}, {"b", 300, 1}},
    };
    EXPECT_EQ(stats.targetStats[0].id(), "a");
    EXPECT_EQ(json::write(toJson(stats), json::Style::compact),
              R"({"date":"2024-05-01","totalUnlockedSeconds":900,"unlockCount":3,)"
              R"("targetStats":[{"localTargetId":"a","unlockedSeconds":600,"unlockCount":2},)"
              R"({"localTargetId":"b","unlockedSeconds":300,"unlockCount":1}]})");
    EXPECT_EQ(dailyLocalStatsFromJson(toJson(stats), ""), stats);

    for (const char* key : {"date", "totalUnlockedSeconds", "unlockCount", "targetStats"}) {
        Json missing = toJson(stats);
        missing.erase(key);
        EXPECT_THROW(dailyLocalStatsFromJson(missing, ""), json::DecodeError) << key;
    }
    Json badTarget = toJson(stats);
    badTarget["targetStats"][1].erase("unlockCount");
    EXPECT_THROW(dailyLocalStatsFromJson(badTarget, ""), json::DecodeError);
}

}  // namespace
}  // namespace quorvel
