#include <gtest/gtest.h>

#include "QuorvelShared/messages/allow_window_summary.hpp"
#include "QuorvelShared/messages/synced_web_target_summary.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "testkit/capture_error.hpp"

namespace quorvel {
namespace {

TEST(AllowWindowSummary, WritesIsoDateAndRoundTrips) {
    const AllowWindowSummary summary{"chrome:example.com", *parseIsoDate("2024-05-01T10:00:00Z")};
    const Json value = toJson(summary);
    EXPECT_EQ(json::write(value, json::Style::compact),
              R"({"targetId":"chrome:example.com","allowUntil":"2024-05-01T10:00:00Z"})");
    EXPECT_EQ(allowWindowSummaryFromJson(value, ""), summary);
    EXPECT_THROW((void)allowWindowSummaryFromJson(json::parse(R"({"targetId":"t"})"), ""),
                 json::DecodeError);
}

TEST(SyncedWebTargetSummary, OptionalFieldsAreLeftOutWhenAbsent) {
    SyncedWebTargetSummary summary{"web:a.com", "a.com", "A", true, std::nullopt, std::nullopt};
    EXPECT_EQ(json::write(toJson(summary), json::Style::compact),
              R"({"id":"web:a.com","domain":"a.com","displayName":"A","enabled":true})");
    EXPECT_EQ(syncedWebTargetSummaryFromJson(toJson(summary), ""), summary);

    summary.linkedTargetId = "app1";
    summary.warningBeforeEndSeconds = 60;
    EXPECT_EQ(json::write(toJson(summary), json::Style::compact),
              R"({"id":"web:a.com","domain":"a.com","displayName":"A","enabled":true,)"
              R"("linkedTargetId":"app1","warningBeforeEndSeconds":60})");
    EXPECT_EQ(syncedWebTargetSummaryFromJson(toJson(summary), ""), summary);
}

TEST(SyncedWebTargetSummary, NullOptionalsReadAsAbsentAndRequiredKeysAreRequired) {
    const auto decoded = syncedWebTargetSummaryFromJson(
        json::parse(R"({"id":"i","domain":"d","displayName":"n","enabled":false,)"
                    R"("linkedTargetId":null,"warningBeforeEndSeconds":null})"),
        "targets[0]");
    EXPECT_FALSE(decoded.linkedTargetId);
    EXPECT_FALSE(decoded.warningBeforeEndSeconds);
    const auto error = testkit::captureError<json::DecodeError>([] {
        return syncedWebTargetSummaryFromJson(
            json::parse(R"({"id":"i","domain":"d","displayName":"n","enabled":"yes"})"),
            "targets[0]");
    });
    ASSERT_TRUE(error) << "decoded a string as a boolean";
    EXPECT_EQ(error->path(), "targets[0].enabled");
}

}  // namespace
}  // namespace quorvel
