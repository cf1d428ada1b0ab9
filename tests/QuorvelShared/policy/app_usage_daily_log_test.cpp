#include "QuorvelShared/policy/app_usage_daily_log.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "testkit/capture_error.hpp"

namespace quorvel {
namespace {

const Date noon = *parseIsoDate("2024-05-01T12:00:00Z");

UnlockEvent eventOf(std::int64_t seconds, std::optional<std::string> id = std::nullopt) {
    UnlockEvent event;
    event.at = noon;
    event.seconds = seconds;
    event.eventId = std::move(id);
    return event;
}

AppUsageDailyLog logOf(std::vector<UnlockEvent> events) {
    return AppUsageDailyLog::make("t", "2024-05-01", std::nullopt, std::nullopt, {}, {},
                                  std::move(events));
}

std::optional<AppUsageDailyLogError> errorOf(std::optional<std::int64_t> count,
                                             std::optional<std::int64_t> seconds) {
    return testkit::captureErrorCode<Error<AppUsageDailyLogError>>([&] {
        return AppUsageDailyLog::make("t", "d", count, seconds, {}, {},
                                      {eventOf(100), eventOf(-30), eventOf(50)});
    });
}

TEST(AppUsageDailyLog, MakeDerivesTheCounts) {
    const AppUsageDailyLog log = logOf({eventOf(100), eventOf(-30), eventOf(50)});
    EXPECT_EQ(log.unlockCount, 3);
    EXPECT_EQ(log.unlockedSeconds, 150);
    EXPECT_EQ(log.unlockEvents[1].seconds, -30) << "events are stored unchanged";
    EXPECT_EQ(log.id(), "t#2024-05-01");

    EXPECT_NO_THROW((void)AppUsageDailyLog::make("t", "d", 3, 150, {}, {},
                                                 {eventOf(100), eventOf(-30), eventOf(50)}));
    EXPECT_EQ(errorOf(2, std::nullopt), AppUsageDailyLogError::unlockCountMismatch);
    EXPECT_EQ(errorOf(std::nullopt, 120), AppUsageDailyLogError::unlockedSecondsMismatch);
    EXPECT_EQ(errorOf(3, 151), AppUsageDailyLogError::unlockedSecondsMismatch);

    constexpr std::int64_t maxInt = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(logOf({eventOf(maxInt), eventOf(maxInt)}).unlockedSeconds, maxInt)
        << "the sum saturates";
}

TEST(AppUsageDailyLog, AddUnlock) {
    AppUsageDailyLog log = logOf({eventOf(60, "a")});
    log.allowanceExhaustedAt = {noon};

    const AppUsageDailyLog before = log;
    EXPECT_FALSE(log.addUnlock(300, MissionKind::squat, noon, "a", std::nullopt));
    EXPECT_EQ(log, before) << "a known event id changes nothing";

    const Date end = noon.addingSeconds(300);
    EXPECT_TRUE(log.addUnlock(300, MissionKind::squat, noon, "b", end));
    EXPECT_TRUE(log.addUnlock(-5, std::nullopt, noon, std::nullopt, std::nullopt));
    EXPECT_TRUE(log.addUnlock(10, MissionKind::math, noon, std::nullopt, std::nullopt));
    EXPECT_TRUE(log.addUnlock(10, MissionKind::squat, noon, std::nullopt, std::nullopt));

    EXPECT_EQ(log.unlockCount, 5);
    EXPECT_EQ(log.unlockedSeconds, 60 + 300 + 0 + 10 + 10);
    ASSERT_EQ(log.unlockEvents.size(), 5u);
    EXPECT_EQ(log.unlockEvents[1], (UnlockEvent{noon, 300, "b", end, std::nullopt}));
    EXPECT_EQ(log.unlockEvents[2].seconds, 0) << "a negative duration is recorded as 0";
    EXPECT_EQ(log.missionRuns,
              (std::vector<MissionRunTally>{{MissionKind::squat, 2}, {MissionKind::math, 1}}));
    EXPECT_EQ(log.allowanceExhaustedAt, std::vector<Date>{noon}) << "never touched";
}

TEST(AppUsageDailyLog, JsonTakesCountsAsStored) {
    AppUsageDailyLog log = logOf({eventOf(100, "x")});
    log.missionRuns = {{MissionKind::breathing, 4}};
    log.allowanceExhaustedAt = {noon};
    EXPECT_EQ(json::write(toJson(log), json::Style::compact),
              R"({"targetId":"t","dateKey":"2024-05-01","unlockCount":1,"unlockedSeconds":100,)"
              R"("missionRuns":[{"kind":"breathing","count":4}],)"
              R"("allowanceExhaustedAt":["2024-05-01T12:00:00Z"],)"
              R"("unlockEvents":[{"at":"2024-05-01T12:00:00Z","seconds":100,"eventId":"x"}]})");
    EXPECT_EQ(appUsageDailyLogFromJson(toJson(log), ""), log);

    Json inconsistent = toJson(log);
    inconsistent["unlockCount"] = 9;
    EXPECT_EQ(appUsageDailyLogFromJson(inconsistent, "").unlockCount, 9);

    for (const char* key : {"targetId", "dateKey", "unlockCount", "unlockedSeconds", "missionRuns",
                            "allowanceExhaustedAt", "unlockEvents"}) {
        Json missing = toJson(log);
        missing.erase(key);
        EXPECT_THROW(appUsageDailyLogFromJson(missing, ""), json::DecodeError) << key;
    }
    Json badKind = toJson(log);
    badKind["missionRuns"][0]["kind"] = "Breathing";
    EXPECT_THROW(appUsageDailyLogFromJson(badKind, ""), json::DecodeError);
}

}  // namespace
}  // namespace quorvel
