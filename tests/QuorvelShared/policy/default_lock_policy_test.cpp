#include "QuorvelShared/policy/default_lock_policy.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {
namespace {

MissionPolicy defaultOf(MissionKind kind) {
    return MissionPolicy::defaultMission(kind);
}

DefaultLockPolicy decode(std::string_view text) {
    return defaultLockPolicyFromJson(json::parse(text), "policy");
}

TEST(DefaultLockPolicy, DefaultFree) {
    const DefaultLockPolicy& policy = DefaultLockPolicy::defaultFree();
    EXPECT_EQ(policy.lockMode, LockMode::always);
    EXPECT_EQ(policy.allowanceSecondsPerDay, 0);
    EXPECT_EQ(policy.usageLimitSecondsPerDay, 0);
    EXPECT_EQ(policy.breakDurationSeconds, 300);
    EXPECT_EQ(policy.breakScope, BreakScope::allApps);
    EXPECT_EQ(policy.durationOptions, (std::vector<std::int64_t>{300, 1200}));
    EXPECT_FALSE(policy.customDurationSelectionEnabled);
    EXPECT_EQ(policy.missions, std::vector<MissionPolicy>{defaultOf(MissionKind::squat)});
    EXPECT_EQ(policy.warningBeforeEndSeconds, 60);
    EXPECT_EQ(&policy, &DefaultLockPolicy::defaultFree()) << "built once";
}

TEST(DefaultLockPolicy, MakeFillsAnEmptyMissionList) {
    const DefaultLockPolicy empty = DefaultLockPolicy::make(LockMode::scheduled, 10, {}, true, {},
                                                            5, 20, 30, BreakScope::perApp);
    EXPECT_EQ(empty.missions, std::vector<MissionPolicy>{defaultOf(MissionKind::squat)});
    EXPECT_TRUE(empty.durationOptions.empty()) << "other values are stored as given";
    EXPECT_EQ(empty.usageLimitSecondsPerDay, 20);
    EXPECT_EQ(empty.breakDurationSeconds, 30);
    EXPECT_EQ(empty.warningBeforeEndSeconds, 5);

    const DefaultLockPolicy given =
        DefaultLockPolicy::make(LockMode::always, 0, {60}, false, {defaultOf(MissionKind::math)},
                                60, 0, 0, BreakScope::allApps);
    EXPECT_EQ(given.missions, std::vector<MissionPolicy>{defaultOf(MissionKind::math)});
}

TEST(DefaultLockPolicy, MissionPolicyView) {
    DefaultLockPolicy policy;
    policy.missions.clear();
    EXPECT_EQ(policy.missionPolicy(), defaultOf(MissionKind::squat));

    struct Row {
        const char* name;
        std::vector<MissionPolicy> before;
        MissionPolicy written;
        std::vector<MissionPolicy> expected;
    };
    MissionPolicy newSteps = defaultOf(MissionKind::steps);
    newSteps.baseQuantity = 77;
    const Row rows[] = {
        {"replaces the first when no kind matches",
         {defaultOf(MissionKind::squat), defaultOf(MissionKind::calculation)},
         newSteps,
         {newSteps, defaultOf(MissionKind::calculation)}},
        {"replaces the same kind",
         {defaultOf(MissionKind::squat), defaultOf(MissionKind::steps)},
         newSteps,
         {defaultOf(MissionKind::squat), newSteps}},
        {"adds to an empty list", {}, newSteps, {newSteps}},
    };
    for (const auto& row : rows) {
        policy.missions = row.before;
        policy.setMissionPolicy(row.written);
        EXPECT_EQ(policy.missions, row.expected) << row.name;
        EXPECT_EQ(policy.missionPolicy(), row.expected.front()) << row.name;
    }
}

TEST(DefaultLockPolicy, NormalizedPresetOptions) {
    using Options = std::vector<std::int64_t>;
    struct Row {
        Options input;
        Options expected;
    };
    const Row rows[] = {
        {{}, {300, 1200}},
        {{1200}, {300, 1200}},
        {{300}, {300, 1200}},
        {{90}, {120, 300}},
        {{29}, {60, 300}},
        {{20000}, {300, 10800}},
        {{60, 120, 180, 240, 300, 600}, {60, 120, 180, 240}},
        {{300, 240, 180, 120, 60}, {60, 120, 180, 240}},
        {{61, 89}, {60, 300}},
        {{-500, 0}, {60, 300}},
        {{600, 300, 900}, {300, 600, 900}},
        {{INT64_MAX, INT64_MIN}, {60, 10800}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(DefaultLockPolicy::normalizedPresetOptions(row.input), row.expected)
            << ::testing::PrintToString(row.input);
    }
}

TEST(DefaultLockPolicy, WritesAllNineKeysInOrder) {
    DefaultLockPolicy policy;
    policy.missions.push_back(defaultOf(MissionKind::breathing));
    EXPECT_EQ(json::write(toJson(policy), json::Style::compact),
              R"({"lockMode":"always","allowanceSecondsPerDay":0,"usageLimitSecondsPerDay":0,)"
              R"("breakDurationSeconds":300,"breakScope":"allApps","durationOptions":[300,1200],)"
              R"("customDurationSelectionEnabled":false,"missions":[{"kind":"squat",)"
              R"("baseQuantity":0,"quantityIncreasePerInterval":1,)"
              R"("quantityIncreaseIntervalMinutes":1,"durationIncreaseEnabled":true,)"
              R"("maximumQuantity":20},{"kind":"breathing","baseQuantity":30,)"
              R"("quantityIncreasePerInterval":0,"quantityIncreaseIntervalMinutes":1,)"
              R"("durationIncreaseEnabled":false}],"warningBeforeEndSeconds":60})");
    EXPECT_EQ(defaultLockPolicyFromJson(toJson(policy), ""), policy);
}

TEST(DefaultLockPolicy, TolerantReadingOfOlderForms) {
    const MissionPolicy squat = defaultOf(MissionKind::squat);
    const MissionPolicy shake = defaultOf(MissionKind::shake);
    const MissionPolicy calculation = defaultOf(MissionKind::calculation);
    const std::string shakeJson = json::write(toJson(shake), json::Style::compact);
    const std::string calculationJson = json::write(toJson(calculation), json::Style::compact);

    const DefaultLockPolicy empty = decode("{}");
    EXPECT_EQ(empty, DefaultLockPolicy::make(LockMode::always, 0, {300, 1200}, false, {squat}, 60,
                                             0, 0, BreakScope::perApp));
    EXPECT_NE(empty, DefaultLockPolicy::defaultFree()) << "break length and scope differ";

    struct Row {
        const char* name;
        std::string text;
        std::vector<MissionPolicy> missions;
    };
    const Row rows[] = {
        {"older single mission",
         R"({"missions": [], "missionPolicy": )" + shakeJson + "}",
         {shake}},
        {"only the older key", R"({"missionPolicy": )" + shakeJson + "}", {shake}},
        {"empty list alone", R"({"missions": []})", {squat}},
        {"null list", R"({"missions": null, "missionPolicy": null})", {squat}},
        {"list wins over the older key",
         R"({"missions": [)" + calculationJson + R"(], "missionPolicy": )" + shakeJson + "}",
         {calculation}},
        {"older key not read when the list wins",
         R"({"missions": [)" + calculationJson + R"(], "missionPolicy": 5})",
         {calculation}},
        {"duplicate kinds are kept as stored",
         R"({"missions": [)" + calculationJson + "," + calculationJson + "]}",
         {calculation, calculation}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(decode(row.text).missions, row.missions) << row.name;
    }

    EXPECT_TRUE(decode(R"({"durationOptions": []})").durationOptions.empty());
    EXPECT_EQ(decode(R"({"durationOptions": null})").durationOptions,
              (std::vector<std::int64_t>{300, 1200}));
    EXPECT_EQ(decode(R"({"lockMode": null})").lockMode, LockMode::always);
    EXPECT_EQ(decode(R"({"durationOptions": [5, -3, 99999]})").durationOptions,
              (std::vector<std::int64_t>{5, -3, 99999}))
        << "stored values are not normalised";

    const Json older = json::parse(R"({"missionPolicy": )" + shakeJson + "}");
    const Json written = toJson(defaultLockPolicyFromJson(older, ""));
    EXPECT_TRUE(written.contains("missions"));
    EXPECT_FALSE(written.contains("missionPolicy"));
}

TEST(DefaultLockPolicy, MalformedValuesFailTheWholeDecode) {
    const char* rejected[] = {
        R"({"lockMode": "Always"})",
        R"({"lockMode": 1})",
        R"({"breakScope": "perapp"})",
        R"({"durationOptions": "300"})",
        R"({"durationOptions": [300, "1200"]})",
        R"({"allowanceSecondsPerDay": 1.5})",
        R"({"customDurationSelectionEnabled": 0})",
        R"({"missions": [{"kind": "squat"}]})",
        R"({"missions": [], "missionPolicy": {"kind": "jump"}})",
        R"({"missions": {}})",
        R"([])",
    };
    for (const char* text : rejected) {
        EXPECT_THROW(decode(text), json::DecodeError) << text;
    }
}

}  // namespace
}  // namespace quorvel
