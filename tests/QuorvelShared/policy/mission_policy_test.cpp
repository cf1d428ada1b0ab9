#include "QuorvelShared/policy/mission_policy.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {
namespace {

constexpr std::int64_t maxInt = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t minInt = std::numeric_limits<std::int64_t>::min();

MissionPolicy mission(std::int64_t base, std::int64_t increase, std::int64_t minutes, bool enabled,
                      std::optional<std::int64_t> maximum) {
    return {MissionKind::squat, base, increase, minutes, enabled, maximum};
}

TEST(MissionPolicy, QuantityForDuration) {
    const MissionPolicy squat = MissionPolicy::defaultMission(MissionKind::squat);
    const MissionPolicy steps = MissionPolicy::defaultMission(MissionKind::steps);
    const MissionPolicy characters = MissionPolicy::defaultMission(MissionKind::characterInput);
    const MissionPolicy breathing = MissionPolicy::defaultMission(MissionKind::breathing);
    struct Row {
        const char* name;
        MissionPolicy policy;
        std::int64_t seconds;
        std::int64_t expected;
    };
    const Row rows[] = {
        {"squat 300 s", squat, 300, 5},
        {"squat 1200 s", squat, 1200, 20},
        {"squat capped", squat, 1800, 20},
        {"squat 1.5 steps round up", squat, 90, 2},
        {"squat below half a step", squat, 29, 0},
        {"squat half a step", squat, 30, 1},
        {"squat 0 s", squat, 0, 0},
        {"squat negative", squat, -600, 0},
        {"steps capped", steps, 300, 30},
        {"characters 1200 s", characters, 1200, 16},
        {"characters 1.5 intervals", characters, 450, 14},
        {"breathing fixed", breathing, 3600, 30},
        {"increase 0 keeps base", mission(7, 0, 1, true, std::nullopt), 6000, 7},
        {"increase negative keeps base", mission(7, -3, 1, true, std::nullopt), 6000, 7},
        {"interval 0 acts as 1 minute", mission(0, 1, 0, true, std::nullopt), 300, 5},
        {"interval negative acts as 1 minute", mission(0, 1, -5, true, std::nullopt), 300, 5},
        {"maximum below base", mission(30, 1, 1, true, 20), 0, 20},
        {"switched off", mission(3, 5, 1, false, 1), 6000, 3},
        {"no cap", mission(0, 2, 1, true, std::nullopt), 3600, 120},
        // Where the arithmetic would leave the 64-bit range it saturates.
        {"huge duration", mission(1, 1000, 1, true, std::nullopt), maxInt, maxInt},
        {"huge increase", mission(1, maxInt, 1, true, std::nullopt), 120, maxInt},
        {"huge base and increase", mission(maxInt, 1, 1, true, std::nullopt), 600, maxInt},
        {"huge interval", mission(5, 1, maxInt, true, std::nullopt), maxInt, 6},
        {"negative base saturates low", mission(minInt, 1, 1, true, std::nullopt), 0, minInt},
        {"huge result capped", mission(1, maxInt, 1, true, 40), 6000, 40},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.policy.quantity(row.seconds), row.expected) << row.name;
    }
}

TEST(MissionPolicy, DefaultsOfEveryKind) {
    struct Row {
        MissionKind kind;
        MissionPolicy expected;
    };
    const Row rows[] = {
        {MissionKind::squat, {MissionKind::squat, 0, 1, 1, true, 20}},
        {MissionKind::shake, {MissionKind::shake, 5, 1, 1, true, 20}},
        {MissionKind::calculation, {MissionKind::calculation, 1, 1, 1, true, 10}},
        {MissionKind::math, {MissionKind::math, 1, 1, 1, true, 10}},
        {MissionKind::characterInput, {MissionKind::characterInput, 12, 1, 5, true, 30}},
        {MissionKind::steps, {MissionKind::steps, 10, 5, 1, true, 30}},
        {MissionKind::breathing, {MissionKind::breathing, 30, 0, 1, false, std::nullopt}},
        {MissionKind::vocabulary, {MissionKind::vocabulary, 1, 1, 1, true, 10}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(MissionPolicy::defaultMission(row.kind), row.expected)
            << nameOf<MissionKind>(row.kind, missionKindNames);
    }
}

TEST(MissionPolicy, SwitchingTheIncreaseOnRaisesItsTerms) {
    MissionPolicy policy = mission(0, 0, -2, false, std::nullopt);
    policy.updateDurationIncreaseEnabled(true);
    EXPECT_EQ(policy, mission(0, 1, 1, true, 1));

    policy = mission(8, 3, 10, false, std::nullopt);
    policy.updateDurationIncreaseEnabled(true);
    EXPECT_EQ(policy, mission(8, 3, 10, true, 8));

    policy = mission(8, 0, 0, false, 4);
    policy.updateDurationIncreaseEnabled(true);
    EXPECT_EQ(policy, mission(8, 1, 1, true, 4)) << "a present maximum stays";

    policy = mission(8, 0, 0, true, std::nullopt);
    policy.updateDurationIncreaseEnabled(false);
    EXPECT_EQ(policy, mission(8, 0, 0, false, std::nullopt))
        << "switching off changes nothing else";
}

TEST(MissionPolicy, EditsClampTheirValues) {
    struct Row {
        const char* name;
        MissionPolicy before;
        void (*edit)(MissionPolicy&);
        MissionPolicy expected;
    };
    const Row rows[] = {
        {"interval below 1", mission(0, 1, 5, true, 20),
         [](MissionPolicy& m) { m.updateQuantityIncreaseIntervalMinutes(0); },
         mission(0, 1, 1, true, 20)},
        {"interval above 180", mission(0, 1, 5, true, 20),
         [](MissionPolicy& m) { m.updateQuantityIncreaseIntervalMinutes(500); },
         mission(0, 1, 180, true, 20)},
        {"interval within", mission(0, 1, 5, true, 20),
         [](MissionPolicy& m) { m.updateQuantityIncreaseIntervalMinutes(45); },
         mission(0, 1, 45, true, 20)},
        {"base raises the maximum", mission(0, 1, 1, true, 20),
         [](MissionPolicy& m) { m.updateBaseQuantity(25); }, mission(25, 1, 1, true, 25)},
        {"base below the maximum", mission(0, 1, 1, true, 20),
         [](MissionPolicy& m) { m.updateBaseQuantity(5); }, mission(5, 1, 1, true, 20)},
        {"negative base", mission(3, 1, 1, true, 0),
         [](MissionPolicy& m) { m.updateBaseQuantity(-4); }, mission(0, 1, 1, true, 1)},
        {"base without maximum", mission(3, 1, 1, false, std::nullopt),
         [](MissionPolicy& m) { m.updateBaseQuantity(9); }, mission(9, 1, 1, false, std::nullopt)},
        {"maximum below base", mission(10, 1, 1, true, 20),
         [](MissionPolicy& m) { m.updateMaximumQuantity(4); }, mission(10, 1, 1, true, 10)},
        {"maximum of 0 with base 0", mission(0, 1, 1, true, std::nullopt),
         [](MissionPolicy& m) { m.updateMaximumQuantity(0); }, mission(0, 1, 1, true, 1)},
        {"maximum above base", mission(2, 1, 1, true, std::nullopt),
         [](MissionPolicy& m) { m.updateMaximumQuantity(50); }, mission(2, 1, 1, true, 50)},
    };
    for (const auto& row : rows) {
        MissionPolicy policy = row.before;
        row.edit(policy);
        EXPECT_EQ(policy, row.expected) << row.name;
    }
}

TEST(MissionPolicy, OrderedForPresentation) {
    MissionPolicy secondSquat = MissionPolicy::defaultMission(MissionKind::squat);
    secondSquat.baseQuantity = 99;
    const std::vector<MissionPolicy> input = {
        MissionPolicy::defaultMission(MissionKind::squat),
        MissionPolicy::defaultMission(MissionKind::breathing),
        secondSquat,
        MissionPolicy::defaultMission(MissionKind::characterInput),
    };
    const std::vector<MissionPolicy> expected = {
        MissionPolicy::defaultMission(MissionKind::characterInput),
        MissionPolicy::defaultMission(MissionKind::breathing),
        MissionPolicy::defaultMission(MissionKind::squat),
        secondSquat,
    };
    EXPECT_EQ(orderedForPresentation(input), expected);
    EXPECT_EQ(input.front().kind, MissionKind::squat) << "the input stays as it was";
    EXPECT_TRUE(orderedForPresentation({}).empty());
}

TEST(MissionPolicy, JsonForm) {
    const MissionPolicy capped = MissionPolicy::defaultMission(MissionKind::steps);
    EXPECT_EQ(json::write(toJson(capped), json::Style::compact),
              R"({"kind":"steps","baseQuantity":10,"quantityIncreasePerInterval":5,)"
              R"("quantityIncreaseIntervalMinutes":1,"durationIncreaseEnabled":true,)"
              R"("maximumQuantity":30})");
    const MissionPolicy uncapped = MissionPolicy::defaultMission(MissionKind::breathing);
    EXPECT_FALSE(toJson(uncapped).contains("maximumQuantity"));
    EXPECT_EQ(missionPolicyFromJson(toJson(capped), ""), capped);
    EXPECT_EQ(missionPolicyFromJson(toJson(uncapped), ""), uncapped);

    // Stored values are not clamped.
    const MissionPolicy odd = {MissionKind::math, -5, -1, 0, true, -2};
    EXPECT_EQ(missionPolicyFromJson(toJson(odd), ""), odd);
}

TEST(MissionPolicy, JsonReadingFailures) {
    const Json valid = toJson(MissionPolicy::defaultMission(MissionKind::squat));
    for (const char* key : {"kind", "baseQuantity", "quantityIncreasePerInterval",
                            "quantityIncreaseIntervalMinutes", "durationIncreaseEnabled"}) {
        Json missing = valid;
        missing.erase(key);
        EXPECT_THROW(missionPolicyFromJson(missing, "m"), json::DecodeError) << key;
    }
    Json nullMaximum = valid;
    nullMaximum["maximumQuantity"] = nullptr;
    EXPECT_EQ(missionPolicyFromJson(nullMaximum, "m").maximumQuantity, std::nullopt);

    const std::pair<const char*, Json> mistyped[] = {
        {"kind", Json("Squat")},         {"baseQuantity", Json("3")},
        {"baseQuantity", Json(1.5)},     {"durationIncreaseEnabled", Json(1)},
        {"maximumQuantity", Json(true)},
    };
    for (const auto& [key, bad] : mistyped) {
        Json value = valid;
        value[key] = bad;
        EXPECT_THROW(missionPolicyFromJson(value, "m"), json::DecodeError) << key << bad;
    }
}

}  // namespace
}  // namespace quorvel
