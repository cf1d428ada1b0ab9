#include "QuorvelShared/policy/mac_target_policy_store.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/support/json_errors.hpp"
#include "testkit/odd_files.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

namespace store = MacTargetPolicyStore;

DefaultLockPolicy strictPolicy() {
    DefaultLockPolicy policy = DefaultLockPolicy::defaultFree();
    policy.lockMode = LockMode::scheduled;
    policy.allowanceSecondsPerDay = 1800;
    policy.durationOptions = {600};
    MissionPolicy mission = MissionPolicy::defaultMission(MissionKind::squat);
    mission.maximumQuantity = std::nullopt;
    policy.missions = {mission};
    return policy;
}

class MacTargetPolicyStoreTest : public ::testing::Test {
protected:
    testkit::TempXdgHome home;
};

TEST_F(MacTargetPolicyStoreTest, WithoutAFileEveryTargetGetsTheFallback) {
    EXPECT_TRUE(store::load().empty());
    EXPECT_EQ(store::policy("app.example", DefaultLockPolicy::defaultFree()),
              DefaultLockPolicy::defaultFree());
    EXPECT_EQ(store::filePath(), home.stateFolder() / "mac-target-policies.json");
}

TEST_F(MacTargetPolicyStoreTest, AnEmptyMapIsAnEmptyObject) {
    store::save({});
    EXPECT_EQ(testkit::readFile(store::filePath()), "{}");
    EXPECT_TRUE(store::load().empty());
}

TEST_F(MacTargetPolicyStoreTest, SavedPoliciesLoadEqualAndAreFoundByTarget) {
    const store::PolicyMap policies = {
        {"org.example.Game", strictPolicy()},
        {"com.example.Browser", DefaultLockPolicy::defaultFree()},
    };
    store::save(policies);
    EXPECT_EQ(store::load(), policies);
    EXPECT_EQ(store::policy("org.example.Game", DefaultLockPolicy::defaultFree()), strictPolicy());
    EXPECT_EQ(store::policy("org.example.Other", strictPolicy()), strictPolicy());
}

TEST_F(MacTargetPolicyStoreTest, KeysOfEveryObjectAreSortedAndSavingTwiceGivesTheSameBytes) {
    store::save({{"b.target", strictPolicy()}, {"a.target", DefaultLockPolicy::defaultFree()}});
    const std::string first = testkit::readFile(store::filePath());
    EXPECT_EQ(first.substr(0, first.find("\n    \"breakDurationSeconds\"")),
              "{\n  \"a.target\" : {\n    \"allowanceSecondsPerDay\" : 0,");
    EXPECT_NE(first.find("\"missions\" : [\n      {\n        \"baseQuantity\" : 0,\n"
                         "        \"durationIncreaseEnabled\" : true,\n"
                         "        \"kind\" : \"squat\",\n"),
              std::string::npos);
    EXPECT_LT(first.find("\"a.target\""), first.find("\"b.target\""));
    store::save(store::load());
    EXPECT_EQ(testkit::readFile(store::filePath()), first);
}

TEST_F(MacTargetPolicyStoreTest, AMemberWithoutKeysTakesTheTolerantDefaults) {
    testkit::writeFile(store::filePath(), R"({"app.example": {}})");
    const DefaultLockPolicy loaded = store::load().at("app.example");
    EXPECT_EQ(loaded.lockMode, LockMode::always);
    EXPECT_EQ(loaded.allowanceSecondsPerDay, 0);
    EXPECT_EQ(loaded.usageLimitSecondsPerDay, 0);
    EXPECT_EQ(loaded.breakDurationSeconds, 0);
    EXPECT_EQ(loaded.breakScope, BreakScope::perApp);
    EXPECT_EQ(loaded.durationOptions, (std::vector<std::int64_t>{300, 1200}));
    EXPECT_FALSE(loaded.customDurationSelectionEnabled);
    EXPECT_EQ(loaded.missions,
              (std::vector<MissionPolicy>{MissionPolicy::defaultMission(MissionKind::squat)}));
    EXPECT_EQ(loaded.warningBeforeEndSeconds, 60);
}

TEST_F(MacTargetPolicyStoreTest, OneBadMemberFailsTheWholeFile) {
    const std::vector<std::string> texts = {
        R"({"good": {}, "bad": {"lockMode": "sometimes"}})",
        R"({"good": {}, "bad": {"allowanceSecondsPerDay": "600"}})",
        R"({"good": {}, "bad": 5})",
        R"(["good"])",
        R"({"good": {})",
    };
    for (const auto& text : texts) {
        SCOPED_TRACE(text);
        testkit::writeFile(store::filePath(), text);
        EXPECT_THROW(store::load(), json::DecodeError);
        EXPECT_EQ(store::policy("good", strictPolicy()), strictPolicy());
        EXPECT_EQ(store::policy("bad", strictPolicy()), strictPolicy());
        EXPECT_EQ(testkit::readFile(store::filePath()), text);
    }
}

TEST_F(MacTargetPolicyStoreTest, AnUnreadableFileThrowsOnLoadAndFallsBackOnLookup) {
    store::save({{"app.example", DefaultLockPolicy::defaultFree()}});
    const testkit::FifoInPlace failure(store::filePath());
    EXPECT_THROW(store::load(), std::system_error);
    EXPECT_EQ(store::policy("app.example", strictPolicy()), strictPolicy());
}

TEST_F(MacTargetPolicyStoreTest, AFailedSaveThrows) {
    std::filesystem::create_directories(store::filePath() / "blocker");
    EXPECT_THROW(store::save({{"app.example", strictPolicy()}}), std::system_error);
}

}  // namespace
}  // namespace quorvel
