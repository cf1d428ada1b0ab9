// The re-lock warning shown by a real notification server (dunst) on the test session's bus and
// display, and withdrawn again when the window ends.
#include "QuorvelPlatform/usernotifications/freedesktop_notification_center.hpp"
#include "dunst_recorder.hpp"
#include "model_fixture.hpp"
#include "testkit/dunst_server.hpp"

namespace quorvel::modeltest {
namespace {

// One test, one server: only one notification server can own the bus name at a time.
TEST_F(ModelTest, WarningIsShownByARealNotificationServerAndWithdrawnWhenItBecomesWrong) {
    DunstRecorder dunst(home.root() / "dunst");
    testkit::DunstServer server(dunst.config());
    ASSERT_TRUE(server.waitUntilServing());

    // Withdrawn while pending: never shown.
    {
        FreedesktopNotificationCenter center(QStringLiteral("Pellorim"));
        EXPECT_TRUE(center.hasServer());
        center.schedule("w.1", "まもなく再ロック", "withdrawn", 0.5);
        center.remove("w.1");
        center.schedule("w.2", "まもなく再ロック", "kept", 0.8);
        ASSERT_TRUE(runLoopUntil([&] { return !dunst.shown().empty(); }));
        // The server took the calls in order: a first one, had it gone out, would be on screen.
        EXPECT_EQ(displayedCount(), 1);
        const auto shown = dunst.shown();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown.begin()->second, "まもなく再ロック\nkept");
        center.remove("w.2");
        ASSERT_TRUE(runLoopUntil([&] { return displayedCount() == 0; }));
        dunst.forget();
    }

    // The model's warning: shown at end minus lead, closed at the end.
    auto notifications = std::make_shared<DesktopUserNotificationCenter>();
    std::vector<unsigned> shownIds;
    QObject::connect(&notifications->center(), &FreedesktopNotificationCenter::shown,
                     [&](const QString&, unsigned id) { shownIds.push_back(id); });
    auto clock = std::make_shared<testkit::FixedClock>(systemClock().now());
    auto deps = dependencies();
    deps.clock = clock;
    deps.userNotifications = notifications;
    MacAppModel model(deps);
    const std::vector<MacLockTarget> targets{approveWithWarningDueSoon(model, clock->now())};
    ASSERT_TRUE(runLoopUntil([&] { return !dunst.shown().empty(); }));
    EXPECT_TRUE(model.allowUntil(targets[0].id));
    const auto shown = dunst.shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown.begin()->second,
              "まもなく再ロック\n" + targets[0].displayName + " は 2秒後に再ロックされます。");
    ASSERT_TRUE(runLoopUntil([&] { return !shownIds.empty(); }));
    EXPECT_EQ(shownIds[0], shown.begin()->first);
    EXPECT_EQ(notifications->center().serverId(MacAppModel::warningIdentifier(targets[0].id)),
              shownIds[0]);
    EXPECT_EQ(displayedCount(), 1);
    ASSERT_TRUE(runLoopUntil([&] { return !model.allowUntil(targets[0].id); }));
    // The warning announced a re-lock that has now happened: it leaves the screen.
    EXPECT_TRUE(runLoopUntil([&] { return displayedCount() == 0; }));
}

}  // namespace
}  // namespace quorvel::modeltest
