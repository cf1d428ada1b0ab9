// The journey the product exists for, through both real programs: a locked application comes to
// the front, the user presses the panel's button, the phone approves, the window opens until
// the approval's end, the re-lock warning comes before it and the panel after it.
#include "QuorvelMac/model/dunst_recorder.hpp"
#include "QuorvelShared/policy/unlock_context.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "journey_fixture.hpp"
#include "testkit/dunst_server.hpp"

namespace quorvel::journeytest {
namespace {

// The approval's length and how long before its end the editor's policy warns. The warning is
// due 40 s after the approval is sent: the time the programs have to apply it, however loaded
// the machine is, before the warning's moment has passed.
constexpr std::int64_t allowSeconds = 50;
constexpr std::int64_t warningSeconds = 10;

TEST_F(JourneyTest, APressOnThePanelIsApprovedOnThePhoneAndTheWindowOpensUntilTheApprovalsEnd) {
    // The desktop's notification server, on the session's bus and display, writing down what it
    // shows.
    modeltest::DunstRecorder dunst(home.root() / "dunst");
    testkit::DunstServer server(dunst.config());
    ASSERT_TRUE(server.waitUntilServing()) << "dunst did not start";
    lockEditorAndViewer(warningSeconds);
    openWindows();
    startApplication();

    // The locked window comes to the front: the panel covers it.
    const auto editorCover = coverOf(*editorWindow);
    const auto viewerCover = coverOf(*viewerWindow);
    activate(*editorWindow);
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(editorCover); }));

    // A real click on the panel's button sends the request; the phone opens it.
    pressPanelButton(editorCover);
    const auto request = nextUnlockRequest();
    ASSERT_TRUE(request.requestId);
    // The program handled the click after the panel's mapping, so whatever focus it would have
    // taken for the panel it asked for before; openbox answers a round trip after that only
    // once it has followed such a change of focus.
    ASSERT_TRUE(scene.x11.windowManagerRoundTrip());
    EXPECT_EQ(scene.x11.active(), editorWindow->id()) << "the panel took nothing from the window";
    const auto context = openContext(request);
    EXPECT_EQ(context.requestId, *request.requestId);
    EXPECT_EQ(context.targetLocalId, editorId);
    EXPECT_EQ(context.targetType, TargetType::macApp);
    EXPECT_EQ(context.targetDisplayName, "Editor");
    DefaultLockPolicy policy = DefaultLockPolicy::defaultFree();
    policy.warningBeforeEndSeconds = warningSeconds;
    EXPECT_EQ(context.policySnapshot, UnlockContextPlaintext::PolicySnapshot::forUnlock(policy));
    EXPECT_EQ(request.macDeviceId, macDeviceId);

    // The receipt, then the approval with a short allow time.
    EXPECT_TRUE(allAccepted(send(testing::phone::unlockReceipt(identity, *request.requestId))));
    const Date approvedUntil = wholeSecondsFromNow(allowSeconds);
    EXPECT_TRUE(allAccepted(send(testing::phone::unlockApproval(identity, *request.requestId,
                                                                allowSeconds, approvedUntil))));

    // The panel leaves the window, and the allow window holds until the approval's end.
    ASSERT_TRUE(runLoopUntil([&] { return scene.noPanel(); })) << "the panel stayed";
    const auto windows = AllowWindowStateStore::load(systemClock().now());
    ASSERT_TRUE(windows.count(editorId)) << "no allow window for the editor";
    EXPECT_EQ(windows.at(editorId), approvedUntil);
    EXPECT_FALSE(windows.count(viewerId));
    EXPECT_TRUE(std::filesystem::exists(home.stateFolder() / "allow-windows.json"));

    // Activating the window again shows no panel. The viewer, still locked, is the marker: its
    // panel is up, and it leaves only once the editor's activation has been judged.
    watch.read();
    const std::size_t sinceApproval = watch.mark();
    activate(*viewerWindow);
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(viewerCover); }));
    activate(*editorWindow);
    ASSERT_TRUE(runLoopUntil([&] { return scene.noPanel(); })) << "the viewer's panel stayed";
    watch.read();
    EXPECT_FALSE(watch.shownAt(editorCover, sinceApproval)) << "the unlocked editor was covered";

    // The re-lock warning comes from the notification server before the end ...
    ASSERT_TRUE(runLoopUntil([&] { return !dunst.shown().empty(); }, (allowSeconds + 60) * 1000))
        << "no warning was shown";
    EXPECT_LT(systemClock().now().secondsSinceReferenceDate,
              approvedUntil.secondsSinceReferenceDate);
    const auto shown = dunst.shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown.begin()->second, "まもなく再ロック\nEditor は " +
                                         std::to_string(warningSeconds) +
                                         "秒後に再ロックされます。");
    watch.read();
    EXPECT_FALSE(watch.shownAt(editorCover, sinceApproval)) << "covered before the end";

    // ... and at the end the panel covers the window again.
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(editorCover); }, (allowSeconds + 60) * 1000))
        << "the panel did not come back";
    EXPECT_GE(systemClock().now().secondsSinceReferenceDate,
              approvedUntil.secondsSinceReferenceDate - 1)
        << "the lock came back before the approval's end";
    EXPECT_FALSE(AllowWindowStateStore::load(systemClock().now()).count(editorId));
}

}  // namespace
}  // namespace quorvel::journeytest
