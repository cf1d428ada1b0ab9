#include "QuorvelShared/unlockstate/synced_target_list.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "QuorvelShared/unlockstate/synced_web_target_id.hpp"
#include "synced_target_samples.hpp"

namespace quorvel {
namespace {

SyncedTargetList decode(std::string_view text) {
    return syncedTargetListFromJson(json::parse(text), "");
}

TEST(SyncedTargetList, JsonRoundTripsAndLeavesAbsentOptionalsOut) {
    const SyncedTargetList full = testing::sampleSyncedList(3);
    EXPECT_EQ(decode(json::write(toJson(full), json::Style::compact)), full);

    SyncedTargetList bare = full;
    bare.macAppUnlockPolicy.reset();
    bare.macAppUsesDefaultMissions.reset();
    bare.webTargets.resize(1);
    bare.webTargets[0].linkedTargetId.reset();
    const Json written = toJson(bare);
    EXPECT_FALSE(written.contains("macAppUnlockPolicy"));
    EXPECT_FALSE(written.contains("macAppUsesDefaultMissions"));
    EXPECT_FALSE(written.at("webTargets").at(0).contains("linkedTargetId"));
    EXPECT_EQ(decode(json::write(written, json::Style::compact)), bare);
}

TEST(SyncedTargetList, NullOptionalsReadAsAbsentAndRequiredKeysMustBeThere) {
    const std::string base =
        R"({"version":2,"generatedAt":"2024-05-01T10:00:00Z","settingsRelaxationProtection":)"
        R"({"isEnabled":false,"codeLength":16},"macAppUnlockPolicy":null,)"
        R"("macAppUsesDefaultMissions":null,"webTargets":[{"id":"a","domain":"a.com",)"
        R"("displayName":"A","enabled":true,"linkedTargetId":null,"policy":{}}]})";
    const SyncedTargetList list = decode(base);
    EXPECT_EQ(list.macAppUnlockPolicy, std::nullopt);
    EXPECT_EQ(list.macAppUsesDefaultMissions, std::nullopt);
    EXPECT_EQ(list.webTargets.at(0).linkedTargetId, std::nullopt);

    for (const std::string key :
         {"version", "generatedAt", "webTargets", "settingsRelaxationProtection"}) {
        SCOPED_TRACE(key);
        Json value = json::parse(base);
        value.erase(key);
        EXPECT_THROW(syncedTargetListFromJson(value, ""), json::DecodeError);
    }
    for (const std::string key : {"id", "domain", "displayName", "enabled", "policy"}) {
        SCOPED_TRACE(key);
        Json value = json::parse(base);
        value["webTargets"][0].erase(key);
        EXPECT_THROW(syncedTargetListFromJson(value, ""), json::DecodeError);
    }
    EXPECT_THROW(decode(R"({"version":2,"generatedAt":"2024-05-01T10:00:00.5Z","webTargets":[],)"
                        R"("settingsRelaxationProtection":{"isEnabled":false,"codeLength":16}})"),
                 json::DecodeError);
}

TEST(SyncedWebTargetID, JoinsAsGivenAndSplitsAtTheLastHash) {
    EXPECT_EQ(SyncedWebTargetID::linked("app#1", "Example.COM"), "link:app#1#Example.COM");

    struct Case {
        const char* text;
        std::optional<LinkedWebTargetComponents> components;
    };
    const Case cases[] = {
        {"link:ios-app#Example.COM", LinkedWebTargetComponents{"ios-app", "example.com"}},
        {"link:app#1#example.com", LinkedWebTargetComponents{"app#1", "example.com"}},
        {"link:#example.com", std::nullopt},
        {"link:app#", std::nullopt},
        {"link:app#not a host", std::nullopt},
        {"link:app", std::nullopt},
        {"Link:app#example.com", std::nullopt},
        {"app#example.com", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SyncedWebTargetID::linkedComponents(c.text), c.components);
    }
}

}  // namespace
}  // namespace quorvel
