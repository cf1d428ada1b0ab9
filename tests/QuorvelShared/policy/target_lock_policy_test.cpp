#include "QuorvelShared/policy/target_lock_policy.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {
namespace {

const MissionPolicy squat = MissionPolicy::defaultMission(MissionKind::squat);

TargetOverride allowanceOnly(std::int64_t seconds) {
    TargetOverride override;
    override.allowanceSecondsPerDay = seconds;
    return override;
}

TargetLockPolicy targetNamed(std::string id) {
    TargetLockPolicy target;
    target.targetId = std::move(id);
    return target;
}

TargetLockPolicy decode(std::string_view text) {
    return targetLockPolicyFromJson(json::parse(text), "target");
}

TEST(TargetOverride, EmptinessAndJson) {
    EXPECT_TRUE(TargetOverride{}.isEmpty());
    TargetOverride emptyList;
    emptyList.durationOptions = std::vector<std::int64_t>{};
    EXPECT_FALSE(emptyList.isEmpty());
    TargetOverride switchedOff;
    switchedOff.customDurationSelectionEnabled = false;
    EXPECT_FALSE(switchedOff.isEmpty());

    EXPECT_EQ(json::write(toJson(TargetOverride{}), json::Style::compact), "{}");
    const TargetOverride full{
        .lockMode = LockMode::scheduled,
        .allowanceSecondsPerDay = 600,
        .breakDurationSeconds = 120,
        .durationOptions = std::vector<std::int64_t>{},
        .customDurationSelectionEnabled = true,
        .missions = std::vector<MissionPolicy>{squat},
        .warningBeforeEndSeconds = 30,
    };
    const Json value = toJson(full);
    EXPECT_EQ(value.size(), 7u);
    EXPECT_EQ(targetOverrideFromJson(value, ""), full);

    const TargetOverride fromNulls =
        targetOverrideFromJson(json::parse(R"({"lockMode":null,"missions":null})"), "");
    EXPECT_TRUE(fromNulls.isEmpty());
    EXPECT_THROW(targetOverrideFromJson(json::parse(R"({"lockMode":"Scheduled"})"), ""),
                 json::DecodeError);
    EXPECT_THROW(targetOverrideFromJson(json::parse(R"({"allowanceSecondsPerDay":"60"})"), ""),
                 json::DecodeError);
    // No older key names are read.
    EXPECT_TRUE(targetOverrideFromJson(json::parse(R"({"missionPolicy":{}})"), "").isEmpty());
}

TEST(TargetLockPolicy, MinimalObjectAndItsJson) {
    const TargetLockPolicy policy = decode(R"({"targetId":"a.b","targetType":"macApp"})");
    EXPECT_EQ(policy.displayName, std::nullopt);
    EXPECT_TRUE(policy.override.isEmpty());
    EXPECT_TRUE(policy.associatedDomains.empty());
    EXPECT_EQ(policy.id(), "a.b");
    EXPECT_EQ(json::write(toJson(policy), json::Style::compact),
              R"({"targetId":"a.b","targetType":"macApp","override":{},"associatedDomains":[]})");

    for (const char* text :
         {R"({"targetType":"macApp"})", R"({"targetId":"a"})",
          R"({"targetId":5,"targetType":"macApp"})", R"({"targetId":"a","targetType":"app"})"}) {
        EXPECT_THROW(decode(text), json::DecodeError) << text;
    }
}

TEST(TargetLockPolicy, DomainsAreNormalisedOnReadingAndByMake) {
    const TargetLockPolicy read =
        decode(R"({"targetId":"t","targetType":"webDomain","displayName":"News",)"
               R"("associatedDomains":["WWW.News.example.com/x","bad","news.example.com"]})");
    EXPECT_EQ(read.associatedDomains, std::vector<std::string>{"news.example.com"});
    EXPECT_EQ(read.displayName, "News");

    TargetLockPolicy made = TargetLockPolicy::make("t", TargetType::webDomain, std::nullopt, {},
                                                   {"https://Example.org/", "example.org"});
    EXPECT_EQ(made.associatedDomains, std::vector<std::string>{"example.org"});
    made.associatedDomains = {"Not Normalised"};
    EXPECT_EQ(made.associatedDomains, std::vector<std::string>{"Not Normalised"});
}

TEST(TargetLockPolicy, OlderInheritsDefaultForm) {
    const TargetOverride tolerantDefaults{
        .lockMode = LockMode::always,
        .allowanceSecondsPerDay = 0,
        .breakDurationSeconds = 0,
        .durationOptions = std::vector<std::int64_t>{300, 1200},
        .customDurationSelectionEnabled = false,
        .missions = std::vector<MissionPolicy>{squat},
        .warningBeforeEndSeconds = 60,
    };
    struct Row {
        const char* name;
        const char* members;
        std::optional<TargetOverride> expected;  // no value: the decode fails
    };
    const Row rows[] = {
        {"inherits, override ignored",
         R"("inheritsDefault":true,"override":{"lockMode":"scheduled"})", TargetOverride{}},
        {"inherits, malformed override ignored", R"("inheritsDefault":true,"override":7)",
         TargetOverride{}},
        {"own policy with no keys", R"("inheritsDefault":false,"override":{})", tolerantDefaults},
        {"own policy that does not decode", R"("inheritsDefault":false,"override":{"lockMode":3})",
         TargetOverride{}},
        {"own policy missing", R"("inheritsDefault":false)", TargetOverride{}},
        {"own policy null", R"("inheritsDefault":false,"override":null)", TargetOverride{}},
        {"own policy drops usage limit and scope",
         R"("inheritsDefault":false,"override":{"lockMode":"scheduled","usageLimitSecondsPerDay":9,)"
         R"("breakScope":"allApps","breakDurationSeconds":45})",
         TargetOverride{
             .lockMode = LockMode::scheduled,
             .allowanceSecondsPerDay = 0,
             .breakDurationSeconds = 45,
             .durationOptions = std::vector<std::int64_t>{300, 1200},
             .customDurationSelectionEnabled = false,
             .missions = std::vector<MissionPolicy>{squat},
             .warningBeforeEndSeconds = 60,
         }},
        {"no key, malformed override fails", R"("override":{"lockMode":3})", std::nullopt},
        {"no key, override not an object fails", R"("override":[])", std::nullopt},
        {"null key reads the new form", R"("inheritsDefault":null,"override":{"lockMode":3})",
         std::nullopt},
        {"string key reads the new form",
         R"("inheritsDefault":"yes","override":{"allowanceSecondsPerDay":900})",
         allowanceOnly(900)},
    };
    for (const auto& row : rows) {
        const std::string text =
            std::string(R"({"targetId":"t","targetType":"macApp",)") + row.members + "}";
        if (row.expected) {
            EXPECT_EQ(decode(text).override, *row.expected) << row.name;
        } else {
            EXPECT_THROW(decode(text), json::DecodeError) << row.name;
        }
    }
    const Json written =
        toJson(decode(R"({"targetId":"t","targetType":"macApp","inheritsDefault":true})"));
    EXPECT_FALSE(written.contains("inheritsDefault"));
}

TEST(TargetLockPolicy, Resolution) {
    DefaultLockPolicy global;
    global.lockMode = LockMode::duringFocusSession;
    global.allowanceSecondsPerDay = 100;
    global.usageLimitSecondsPerDay = 3600;
    global.breakDurationSeconds = 300;
    global.durationOptions = {300, 1200};
    global.customDurationSelectionEnabled = true;
    global.missions = {MissionPolicy::defaultMission(MissionKind::shake)};
    global.warningBeforeEndSeconds = 60;

    TargetLockPolicy target = targetNamed("t");
    global.breakScope = BreakScope::allApps;
    EXPECT_EQ(target.resolved(global), global) << "an empty override follows the global policy";

    target.override = TargetOverride{
        .lockMode = LockMode::always,
        .allowanceSecondsPerDay = 5,
        .breakDurationSeconds = 30,
        .durationOptions = std::vector<std::int64_t>{},
        .customDurationSelectionEnabled = false,
        .missions = std::vector<MissionPolicy>{},
        .warningBeforeEndSeconds = 10,
    };
    DefaultLockPolicy expected = global;
    expected.lockMode = LockMode::always;
    expected.allowanceSecondsPerDay = 5;
    expected.durationOptions = {};
    expected.customDurationSelectionEnabled = false;
    expected.missions = {squat};
    expected.warningBeforeEndSeconds = 10;
    EXPECT_EQ(target.resolved(global), expected) << "a break for all targets ignores the override";

    global.breakScope = BreakScope::perApp;
    expected.breakScope = BreakScope::perApp;
    expected.breakDurationSeconds = 30;
    EXPECT_EQ(target.resolved(global), expected) << "a per-target break takes the override";

    target.override.breakDurationSeconds.reset();
    expected.breakDurationSeconds = 300;
    EXPECT_EQ(target.resolved(global), expected);

    global.missions.clear();
    target.override = {};
    EXPECT_EQ(target.resolved(global).missions, std::vector<MissionPolicy>{squat});
}

TEST(TargetLockPolicy, CustomisationFlags) {
    TargetLockPolicy target = targetNamed("t");
    target.displayName = " \n";
    EXPECT_FALSE(target.hasOverride());
    EXPECT_FALSE(target.hasPerTargetCustomization());
    target.displayName = "a";
    EXPECT_TRUE(target.hasPerTargetCustomization());
    target.displayName.reset();
    target.associatedDomains = {"example.com"};
    EXPECT_TRUE(target.hasPerTargetCustomization());
    target.associatedDomains.clear();
    target.override.missions = std::vector<MissionPolicy>{};
    EXPECT_TRUE(target.hasOverride());
    EXPECT_TRUE(target.hasPerTargetCustomization());
}

}  // namespace
}  // namespace quorvel
