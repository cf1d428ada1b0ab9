#include "QuorvelShared/policy/remote_open_records.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "testkit/capture_error.hpp"

namespace quorvel {
namespace {

const Date noon = *parseIsoDate("2024-05-01T12:00:00Z");

TEST(RemoteOpenDailyCount, MakeKeepsTwentyFourNonNegativeHours) {
    using Hours = std::vector<std::int64_t>;
    Hours thirty(30);
    for (std::size_t i = 0; i < thirty.size(); ++i) {
        thirty[i] = static_cast<std::int64_t>(i);
    }
    Hours firstTwentyFour(thirty.begin(), thirty.begin() + 24);
    Hours withNegative(24, 2);
    withNegative[5] = -3;
    Hours negativeCleared = withNegative;
    negativeCleared[5] = 0;
    Hours three = {4, 0, 7};
    Hours threePadded(24, 0);
    threePadded[0] = 4;
    threePadded[2] = 7;

    struct Row {
        const char* name;
        Hours input;
        Hours expected;
    };
    const Row rows[] = {
        {"empty", {}, Hours(24, 0)},
        {"too many", thirty, firstTwentyFour},
        {"negative entry", withNegative, negativeCleared},
        {"too few", three, threePadded},
    };
    for (const auto& row : rows) {
        const auto count = RemoteOpenDailyCount::make("t", "2024-05-01", 9, row.input, noon);
        EXPECT_EQ(count.hourlyCounts, row.expected) << row.name;
        EXPECT_EQ(count.count, 9) << "the total is stored as given";
    }
}

TEST(RemoteOpenDailyCount, IdJoinsTargetAndDayAsTheyStand) {
    const auto count = RemoteOpenDailyCount::make("link:a#b", "2024-05-01", 1, {}, noon);
    EXPECT_EQ(count.id(), "link:a#b#2024-05-01");
}

TEST(RemoteOpenDailyCount, JsonKeepsStoredHoursAndRequiresEveryKey) {
    const Json value =
        json::parse(R"({"targetId":"t","dateKey":"2024-05-01","count":3,"hourlyCounts":[1,-1,2],)"
                    R"("lastImpressionAt":"2024-05-01T12:00:00Z"})");
    const RemoteOpenDailyCount count = remoteOpenDailyCountFromJson(value, "");
    EXPECT_EQ(count.hourlyCounts, (std::vector<std::int64_t>{1, -1, 2}));
    EXPECT_EQ(count.lastImpressionAt, noon);
    EXPECT_EQ(json::write(toJson(count), json::Style::compact),
              json::write(value, json::Style::compact));

    for (const char* key : {"targetId", "dateKey", "count", "hourlyCounts", "lastImpressionAt"}) {
        Json missing = value;
        missing.erase(key);
        EXPECT_THROW(remoteOpenDailyCountFromJson(missing, ""), json::DecodeError) << key;
    }
    Json fractional = value;
    fractional["lastImpressionAt"] = "2024-05-01T12:00:00.5Z";
    EXPECT_THROW(remoteOpenDailyCountFromJson(fractional, ""), json::DecodeError);
}

TEST(RemoteOpenEventBatch, JsonRoundTripAndRequiredEntries) {
    const RemoteOpenEventBatch batch{
        .id = "0F6C5B0E-9F5C-4D5C-9E6B-3C2C7A1D0E11",
        .createdAt = noon,
        .entries = {RemoteOpenDailyCount::make("a", "2024-04-30", 2, {0, 1, 1}, noon),
                    RemoteOpenDailyCount::make("b", "2024-05-01", 1, {}, noon)},
    };
    EXPECT_EQ(remoteOpenEventBatchFromJson(
                  json::parse(json::write(toJson(batch), json::Style::compact)), ""),
              batch);

    EXPECT_THROW(remoteOpenEventBatchFromJson(
                     json::parse(R"({"id":"x","createdAt":"2024-05-01T12:00:00Z"})"), ""),
                 json::DecodeError);
    const auto empty = remoteOpenEventBatchFromJson(
        json::parse(R"({"id":"x","createdAt":"2024-05-01T12:00:00Z","entries":[]})"), "");
    EXPECT_TRUE(empty.entries.empty());
    const auto error = testkit::captureError<json::DecodeError>([] {
        return remoteOpenEventBatchFromJson(
            json::parse(R"({"id":"x","createdAt":"2024-05-01T12:00:00Z","entries":[{}]})"),
            "batch");
    });
    ASSERT_TRUE(error) << "no error";
    EXPECT_EQ(error->path(), "batch.entries[0].targetId");
}

}  // namespace
}  // namespace quorvel
