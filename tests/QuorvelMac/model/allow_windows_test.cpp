#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "model_fixture.hpp"
#include "testkit/fakes.hpp"

namespace quorvel::modeltest {
namespace {

MacLockTarget withLead(MacLockTarget target, std::int64_t seconds) {
    target.inheritsDefaultPolicy = false;
    target.policyOverride = DefaultLockPolicy::defaultFree();
    target.policyOverride->warningBeforeEndSeconds = seconds;
    return target;
}

TEST_F(ModelTest, AnEndInThePastOpensNothingAndRaisesTheRevisionTwice) {
    auto model = makeModel();
    const auto target = model->targets()[0];
    model->applyApproval(target.id, systemClock().now().addingSeconds(-5), std::nullopt);
    EXPECT_EQ(model->authorizationRevision(), 2);
    EXPECT_FALSE(model->allowUntil(target.id));
    EXPECT_TRUE(model->activeAllowWindows().empty());
    EXPECT_TRUE(AllowWindowStateStore::load(Date{}).empty());
    drainLoop();  // the warning would be scheduled on a later turn of the loop
    EXPECT_TRUE(userNotifications->scheduled.empty());
    EXPECT_EQ(model->recentUnlocks().size(), 1u);
}

// The model's clock stands still in the tests below, so that a second between two grants on a
// loaded machine cannot end the short window before it is granted; its end runs on the boot
// clock all the same.
TEST_F(ModelTest, AnEarlierReGrantWinsAndTheFirstExpiryNeverFires) {
    auto clock = std::make_shared<testkit::FixedClock>(systemClock().now());
    auto deps = dependencies();
    deps.clock = clock;
    auto model = std::make_unique<MacAppModel>(deps);
    const auto target = model->targets()[0];
    const Date now = clock->now();
    model->applyApproval(target.id, now.addingSeconds(3600), std::nullopt);
    model->applyApproval(target.id, now.addingSeconds(1), std::nullopt);
    EXPECT_EQ(model->authorizationRevision(), 2);
    ASSERT_TRUE(runLoopUntil([&] { return model->authorizationRevision() == 3; }));
    EXPECT_FALSE(model->allowUntil(target.id));
    EXPECT_TRUE(AllowWindowStateStore::load(Date{}).empty());
    drainLoop();  // whatever the expiry left for later has run
    EXPECT_EQ(model->authorizationRevision(), 3);
}

TEST_F(ModelTest, WarningComesAtEndMinusLeadWithTheExactTexts) {
    auto clock = std::make_shared<testkit::FixedClock>(systemClock().now());
    auto deps = dependencies();
    deps.clock = clock;
    MacAppModel model(deps);
    auto targets = model.targets();
    targets[1] = withLead(targets[1], 0);
    model.setTargets(targets);
    struct Case {
        std::string targetId;
        double windowSeconds;
        std::optional<double> delay;
    };
    const std::vector<Case> cases = {
        {targets[0].id, 1200, 1140},  // built-in lead of 60 seconds
        {targets[0].id, 30, std::nullopt},
        {targets[0].id, 60.5, 1},             // less than a second before the warning: one second
        {targets[1].id, 7200, std::nullopt},  // a lead of 0 never warns
    };
    for (const auto& c : cases) {
        userNotifications->scheduled.clear();
        model.applyApproval(c.targetId, clock->now().addingSeconds(c.windowSeconds), std::nullopt);
        drainLoop();  // the warning is scheduled on a later turn of the loop
        if (!c.delay) {
            EXPECT_TRUE(userNotifications->scheduled.empty()) << c.windowSeconds;
            continue;
        }
        ASSERT_EQ(userNotifications->scheduled.size(), 1u);
        const auto& warning = userNotifications->scheduled[0];
        EXPECT_EQ(warning.identifier, "quorvel.mac.unlock-warning." + c.targetId);
        EXPECT_EQ(warning.title, "まもなく再ロック");
        EXPECT_EQ(warning.body, targets[0].displayName + " は 60秒後に再ロックされます。");
        EXPECT_NEAR(warning.delaySeconds, *c.delay, 0.01);
    }
}

TEST_F(ModelTest, RefusedNotificationsGiveNoWarning) {
    userNotifications->authorised = false;
    auto model = makeModel();
    model->applyApproval(model->targets()[0].id, systemClock().now().addingSeconds(1200),
                         std::nullopt);
    drainLoop();
    EXPECT_TRUE(userNotifications->scheduled.empty());
}

TEST_F(ModelTest, PendingWarningIsWithdrawnAtEveryGrantAndAtTheEnd) {
    auto clock = std::make_shared<testkit::FixedClock>(systemClock().now());
    auto deps = dependencies();
    deps.clock = clock;
    auto model = std::make_unique<MacAppModel>(deps);
    const auto id = model->targets()[0].id;
    const std::string identifier = "quorvel.mac.unlock-warning." + id;
    model->applyApproval(id, clock->now().addingSeconds(1200), std::nullopt);
    EXPECT_EQ(std::count(userNotifications->removed.begin(), userNotifications->removed.end(),
                         identifier),
              1);
    model->applyApproval(id, clock->now().addingSeconds(1), std::nullopt);
    EXPECT_EQ(std::count(userNotifications->removed.begin(), userNotifications->removed.end(),
                         identifier),
              2);
    // The window's end (its timer, not the readers' look at the clock, which may come first)
    // withdraws what is still scheduled for it.
    ASSERT_TRUE(runLoopUntil([&] { return model->authorizationRevision() == 3; }));
    EXPECT_FALSE(model->allowUntil(id));
    EXPECT_FALSE(userNotifications->pending.contains(identifier));
    EXPECT_EQ(userNotifications->removed.back(), identifier);
}

// The warning of a grant is scheduled on a later turn of the loop; whatever withdrew it in
// between (a second grant, the window's end, the target's removal) must win.
TEST_F(ModelTest, WhatComesBeforeTheWarningIsScheduledWithdrawsItForGood) {
    struct Case {
        const char* name;
        std::function<void(MacAppModel&, const std::string&, Date)> between;
        std::optional<double> laterWarningDelay;  // the second grant's own warning
    };
    const std::vector<Case> cases = {
        {"a later end",
         [](MacAppModel& m, const std::string& id, Date now) {
             m.applyApproval(id, now.addingSeconds(2400), std::nullopt);
         },
         2340},
        {"an end inside the lead",
         [](MacAppModel& m, const std::string& id, Date now) {
             m.applyApproval(id, now.addingSeconds(30), std::nullopt);
         },
         std::nullopt},
        {"an end in the past",
         [](MacAppModel& m, const std::string& id, Date now) {
             m.applyApproval(id, now.addingSeconds(-5), std::nullopt);
         },
         std::nullopt},
        {"the target removed",
         [](MacAppModel& m, const std::string& id, Date) { m.removeMacAppTarget(id); },
         std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto clock = std::make_shared<testkit::FixedClock>(systemClock().now());
        auto deps = dependencies();
        deps.clock = clock;
        MacAppModel model(deps);
        drainLoop();
        userNotifications->scheduled.clear();
        userNotifications->pending.clear();
        model.addMacApplicationTargets({{"org.example.Game", "Game", "/a/game.desktop"}});
        const std::string id = "mac-app:org.example.Game";
        ASSERT_TRUE(std::any_of(model.targets().begin(), model.targets().end(),
                                [&](const auto& t) { return t.id == id; }));
        model.applyApproval(id, clock->now().addingSeconds(1200), std::nullopt);
        c.between(model, id, clock->now());
        drainLoop();
        if (!c.laterWarningDelay) {
            EXPECT_TRUE(userNotifications->scheduled.empty());
            EXPECT_TRUE(userNotifications->pending.empty());
            continue;
        }
        EXPECT_EQ(userNotifications->scheduled.size(), 1u);
        EXPECT_NEAR(userNotifications->scheduled.back().delaySeconds, *c.laterWarningDelay, 0.01);
    }
}

TEST_F(ModelTest, ApprovalOfADeletedTargetOpensItsWindowWithoutHistoryOrWarning) {
    auto model = makeModel();
    model->applyApproval("gone", systemClock().now().addingSeconds(600), std::nullopt);
    EXPECT_TRUE(model->allowUntil("gone"));
    EXPECT_TRUE(model->recentUnlocks().empty());
    drainLoop();
    EXPECT_TRUE(userNotifications->scheduled.empty());
}

TEST_F(ModelTest, ReadersFilterByTheClockBeforeTheExpiryRuns) {
    auto clock = std::make_shared<testkit::FixedClock>(systemClock().now());
    auto deps = dependencies();
    deps.clock = clock;
    MacAppModel model(deps);
    int windowSignals = 0;
    QObject::connect(&model, &MacAppModel::allowWindowsChanged, [&] { ++windowSignals; });
    model.applyApproval("web-x", clock->now().addingSeconds(100), std::nullopt);
    EXPECT_EQ(windowSignals, 1);
    EXPECT_EQ(model.activeAllowWindows().size(), 1u);
    clock->advance(101);
    EXPECT_TRUE(model.activeAllowWindows().empty());
    EXPECT_FALSE(model.allowUntil("web-x"));
}

TEST_F(ModelTest, EqualValuesAreStoredSilently) {
    auto model = makeModel();
    int overlaySignals = 0, targetSignals = 0;
    QObject::connect(model.get(), &MacAppModel::overlayChanged, [&] { ++overlaySignals; });
    QObject::connect(model.get(), &MacAppModel::targetsChanged, [&] { ++targetSignals; });
    const LockOverlayState locked{model->targets()[0], LockOverlayState::Status::locked()};
    model->setOverlay(locked);
    model->setOverlay(locked);
    EXPECT_EQ(overlaySignals, 1);
    model->setOverlay(LockOverlayState{model->targets()[0], LockOverlayState::Status::failed("a")});
    model->setOverlay(LockOverlayState{model->targets()[0], LockOverlayState::Status::failed("b")});
    EXPECT_EQ(overlaySignals, 3);
    model->setTargets(model->targets());
    EXPECT_EQ(targetSignals, 0);
}

TEST_F(ModelTest, OverlayOfTheApprovedTargetIsClearedAndAnotherStays) {
    auto model = makeModel();
    const auto first = model->targets()[0];
    const auto second = model->targets()[1];
    model->setOverlay(LockOverlayState{second, LockOverlayState::Status::locked()});
    model->applyApproval(first.id, systemClock().now().addingSeconds(600), std::nullopt);
    EXPECT_TRUE(model->overlay());
    model->applyApproval(second.id, systemClock().now().addingSeconds(600), std::nullopt);
    EXPECT_FALSE(model->overlay());
}

}  // namespace
}  // namespace quorvel::modeltest
