#include "QuorvelShared/policy/settings_relaxation_classifier.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <unordered_set>

namespace quorvel {
namespace {

using Edit = std::function<void(DefaultLockPolicy& from, DefaultLockPolicy& to)>;

MissionPolicy defaultOf(MissionKind kind) {
    return MissionPolicy::defaultMission(kind);
}

TEST(SettingsRelaxationClassifier, EveryCheck) {
    struct Row {
        const char* name;
        Edit edit;
        bool loosens;
    };
    const Row rows[] = {
        {"unchanged", [](auto&, auto&) {}, false},
        {"only the warning time", [](auto&, auto& to) { to.warningBeforeEndSeconds = 1; }, false},
        {"lock mode loosened",
         [](auto& from, auto& to) {
             from.lockMode = LockMode::always;
             to.lockMode = LockMode::scheduled;
         },
         true},
        {"lock mode either way",
         [](auto& from, auto& to) {
             from.lockMode = LockMode::scheduled;
             to.lockMode = LockMode::always;
         },
         true},
        {"more allowance", [](auto&, auto& to) { to.allowanceSecondsPerDay = 60; }, true},
        {"less allowance", [](auto& from, auto&) { from.allowanceSecondsPerDay = 60; }, false},
        {"usage limit added", [](auto&, auto& to) { to.usageLimitSecondsPerDay = 3600; }, false},
        {"usage limit removed", [](auto& from, auto&) { from.usageLimitSecondsPerDay = 3600; },
         true},
        {"usage limit lowered",
         [](auto& from, auto& to) {
             from.usageLimitSecondsPerDay = 3600;
             to.usageLimitSecondsPerDay = 1800;
         },
         false},
        {"usage limit kept",
         [](auto& from, auto& to) {
             from.usageLimitSecondsPerDay = 3600;
             to.usageLimitSecondsPerDay = 3600;
         },
         false},
        {"usage limit raised",
         [](auto& from, auto& to) {
             from.usageLimitSecondsPerDay = 1800;
             to.usageLimitSecondsPerDay = 3600;
         },
         true},
        {"shorter break", [](auto&, auto& to) { to.breakDurationSeconds = 299; }, true},
        {"longer break", [](auto&, auto& to) { to.breakDurationSeconds = 301; }, false},
        {"break to one target",
         [](auto& from, auto& to) {
             from.breakScope = BreakScope::allApps;
             to.breakScope = BreakScope::perApp;
         },
         true},
        {"break to all targets",
         [](auto& from, auto& to) {
             from.breakScope = BreakScope::perApp;
             to.breakScope = BreakScope::allApps;
         },
         false},
        {"free duration on", [](auto&, auto& to) { to.customDurationSelectionEnabled = true; },
         true},
        {"free duration off", [](auto& from, auto&) { from.customDurationSelectionEnabled = true; },
         false},
        {"durations from none",
         [](auto& from, auto& to) {
             from.durationOptions = {};
             to.durationOptions = {300};
         },
         true},
        {"none to none",
         [](auto& from, auto& to) {
             from.durationOptions = {};
             to.durationOptions = {};
         },
         false},
        {"shorter longest duration", [](auto&, auto& to) { to.durationOptions = {600}; }, false},
        {"longer longest duration",
         [](auto&, auto& to) {
             to.durationOptions = {300, 1500};
         },
         true},
        {"durations removed",
         [](auto& from, auto& to) {
             from.durationOptions = {300};
             to.durationOptions = {};
         },
         false},
        {"mission added",
         [](auto&, auto& to) { to.missions.push_back(defaultOf(MissionKind::shake)); }, true},
        {"mission dropped",
         [](auto& from, auto&) { from.missions.push_back(defaultOf(MissionKind::shake)); }, false},
        {"missions reordered",
         [](auto& from, auto& to) {
             from.missions = {defaultOf(MissionKind::squat), defaultOf(MissionKind::shake)};
             to.missions = {defaultOf(MissionKind::shake), defaultOf(MissionKind::squat)};
         },
         false},
        {"lower base", [](auto& from, auto&) { from.missions[0].baseQuantity = 3; }, true},
        {"higher base", [](auto&, auto& to) { to.missions[0].baseQuantity = 3; }, false},
        {"increase switched on with a lower step and no lower base",
         [](auto& from, auto& to) {
             from.missions[0] = {MissionKind::squat, 5, 4, 1, false, std::nullopt};
             to.missions[0] = {MissionKind::squat, 5, 1, 9, true, std::nullopt};
         },
         false},
        {"increase switched off",
         [](auto&, auto& to) { to.missions[0].durationIncreaseEnabled = false; }, true},
        {"smaller step",
         [](auto& from, auto&) { from.missions[0].quantityIncreasePerInterval = 2; }, true},
        {"longer interval",
         [](auto&, auto& to) { to.missions[0].quantityIncreaseIntervalMinutes = 2; }, true},
        {"shorter interval",
         [](auto& from, auto&) { from.missions[0].quantityIncreaseIntervalMinutes = 2; }, false},
        {"maximum added", [](auto& from, auto&) { from.missions[0].maximumQuantity.reset(); },
         true},
        {"maximum removed", [](auto&, auto& to) { to.missions[0].maximumQuantity.reset(); }, false},
        {"maximum lowered", [](auto&, auto& to) { to.missions[0].maximumQuantity = 19; }, true},
        {"maximum raised", [](auto&, auto& to) { to.missions[0].maximumQuantity = 21; }, false},
        {"duplicate kinds unchanged",
         [](auto& from, auto& to) {
             from.missions = {defaultOf(MissionKind::squat), defaultOf(MissionKind::squat)};
             from.missions[0].baseQuantity = 9;
             to.missions = from.missions;
         },
         false},
        {"looser duplicate added",
         [](auto&, auto& to) {
             to.missions.push_back(defaultOf(MissionKind::squat));
             to.missions.back().durationIncreaseEnabled = false;
         },
         true},
    };
    for (const auto& row : rows) {
        DefaultLockPolicy from = DefaultLockPolicy::defaultFree();
        DefaultLockPolicy to = DefaultLockPolicy::defaultFree();
        row.edit(from, to);
        EXPECT_EQ(SettingsRelaxationClassifier::requiresConfirmation(from, to), row.loosens)
            << row.name;
    }
}

TEST(SettingsRelaxationClassifier, RemovesAnySelection) {
    using Set = std::set<std::string>;
    EXPECT_TRUE(SettingsRelaxationClassifier::removesAnySelection(Set{"a", "b"}, Set{"a"}));
    EXPECT_FALSE(SettingsRelaxationClassifier::removesAnySelection(Set{"a"}, Set{"a", "b"}));
    EXPECT_FALSE(SettingsRelaxationClassifier::removesAnySelection(Set{}, Set{"a"}));
    EXPECT_FALSE(SettingsRelaxationClassifier::removesAnySelection(Set{}, Set{}));
    using Kinds = std::unordered_set<int>;
    EXPECT_TRUE(SettingsRelaxationClassifier::removesAnySelection(Kinds{1, 2}, Kinds{2, 3}));
}

}  // namespace
}  // namespace quorvel
