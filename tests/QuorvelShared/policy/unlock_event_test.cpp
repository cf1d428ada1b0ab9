#include "QuorvelShared/policy/unlock_event.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {
namespace {

const Date start = *parseIsoDate("2024-05-01T10:00:00Z");

UnlockEvent event(std::int64_t seconds, std::optional<double> scheduledAfter,
                  std::optional<double> endedAfter = std::nullopt) {
    UnlockEvent e;
    e.at = start;
    e.seconds = seconds;
    if (scheduledAfter) {
        e.scheduledEndAt = start.addingSeconds(*scheduledAfter);
    }
    if (endedAfter) {
        e.endedAt = start.addingSeconds(*endedAfter);
    }
    return e;
}

TEST(UnlockEvent, ReportedSeconds) {
    struct Row {
        const char* name;
        UnlockEvent event;
        double nowAfter;
        std::int64_t expected;
    };
    const Row rows[] = {
        {"no planned end", event(600, std::nullopt), 5, 600},
        {"no planned end, later", event(600, std::nullopt), 1e6, 600},
        {"running, rounds down", event(600, 600.0), 90.4, 90},
        {"running, half rounds up", event(600, 600.0), 90.5, 91},
        {"past the planned end", event(600, 600.0), 10000, 600},
        {"before it began", event(600, 600.0), -5, 0},
        {"ended early", event(600, 600.0, 30.0), 10, 600},
        {"planned end beyond the length", event(300, 900.0), 800, 300},
        {"planned end before the start", event(300, -50.0), 100, 0},
        {"negative length, no end", event(-20, std::nullopt), 5, 0},
        {"negative length, running", event(-20, 600.0), 60, 0},
        {"negative length, ended", event(-20, 600.0, 5.0), 60, 0},
        {"far apart dates", event(std::numeric_limits<std::int64_t>::max(), 1e300), 1e300,
         std::numeric_limits<std::int64_t>::max()},
        {"not a number", event(600, std::nan("")), 10, 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.event.reportedSeconds(start.addingSeconds(row.nowAfter)), row.expected)
            << row.name;
    }
}

TEST(UnlockEvent, JsonOptionalsLeftOut) {
    const Json minimal = json::parse(R"({"at":"2024-05-01T10:00:00Z","seconds":600})");
    const UnlockEvent read = unlockEventFromJson(minimal, "");
    EXPECT_EQ(read, event(600, std::nullopt));
    EXPECT_EQ(json::write(toJson(read), json::Style::compact),
              R"({"at":"2024-05-01T10:00:00Z","seconds":600})");

    UnlockEvent full = event(-5, 600.0, 30.0);
    full.eventId = "e1";
    EXPECT_EQ(json::write(toJson(full), json::Style::compact),
              R"({"at":"2024-05-01T10:00:00Z","seconds":-5,"eventId":"e1",)"
              R"("scheduledEndAt":"2024-05-01T10:10:00Z","endedAt":"2024-05-01T10:00:30Z"})");
    EXPECT_EQ(unlockEventFromJson(toJson(full), ""), full);

    const Json nulls =
        json::parse(R"({"at":"2024-05-01T10:00:00Z","seconds":1,"eventId":null,"endedAt":null})");
    EXPECT_EQ(unlockEventFromJson(nulls, "").eventId, std::nullopt);
    EXPECT_THROW(unlockEventFromJson(json::parse(R"({"at":"2024-05-01T10:00:00Z"})"), ""),
                 json::DecodeError);
    EXPECT_THROW(unlockEventFromJson(json::parse(R"({"seconds":1})"), ""), json::DecodeError);
}

}  // namespace
}  // namespace quorvel
