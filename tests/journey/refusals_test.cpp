// What the phone may answer that opens nothing: an approval signed with another key or for
// another request, and the user's cancellation. The panel stays over the window and says why;
// no allow window is written.
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "journey_fixture.hpp"

namespace quorvel::journeytest {
namespace {

TEST_F(JourneyTest, ApprovalsThatDoNotHoldAndACancellationLeaveThePanelUpWithTheirStatus) {
    lockEditorAndViewer();
    openWindows();
    startApplication();
    const auto editorCover = coverOf(*editorWindow);
    activate(*editorWindow);
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(editorCover); }));
    const testing::PhoneIdentity stranger = testing::PhoneIdentity::generate("ios-journey");
    // What the panel says once the phone has confirmed the delivery: each refusal below comes
    // after it, so the text it leaves is that refusal's own.
    const std::string delivered = "iPhoneに解除申請が届きました";
    const auto noAllowWindow = [] {
        return !AllowWindowStateStore::load(systemClock().now()).count(editorId);
    };

    // Signed with another key.
    pressPanelButton(editorCover);
    auto request = nextUnlockRequest();
    ASSERT_TRUE(request.requestId);
    EXPECT_EQ(openContext(request).targetLocalId, editorId);
    EXPECT_TRUE(allAccepted(send(testing::phone::unlockReceipt(identity, *request.requestId))));
    EXPECT_TRUE(runLoopUntil([&] { return panelShows(delivered); }));
    EXPECT_TRUE(allAccepted(send(testing::phone::unlockApproval(stranger, *request.requestId, 900,
                                                                wholeSecondsFromNow(900)))));
    EXPECT_TRUE(runLoopUntil([&] { return panelShows("iPhoneからの承認を確認できませんでした"); }));
    EXPECT_TRUE(panelCovers(editorCover));
    EXPECT_TRUE(noAllowWindow());

    // Signed for another request, though sent under this one's id.
    pressPanelButton(editorCover);
    request = nextUnlockRequest();
    ASSERT_TRUE(request.requestId);
    EXPECT_TRUE(allAccepted(send(testing::phone::unlockReceipt(identity, *request.requestId))));
    EXPECT_TRUE(runLoopUntil([&] { return panelShows(delivered); }));
    auto borrowed = testing::phone::unlockApproval(identity, "req_another-request", 900,
                                                   wholeSecondsFromNow(900));
    borrowed.requestId = request.requestId;
    EXPECT_TRUE(allAccepted(send(borrowed)));
    EXPECT_TRUE(runLoopUntil([&] { return panelShows("iPhoneからの承認を確認できませんでした"); }));
    EXPECT_TRUE(panelCovers(editorCover));
    EXPECT_TRUE(noAllowWindow());

    // An approval of another request is refused on the link (bluetoothd answers the write with
    // an error); the request goes on waiting, and the user's cancellation ends it.
    pressPanelButton(editorCover);
    request = nextUnlockRequest();
    ASSERT_TRUE(request.requestId);
    EXPECT_TRUE(allAccepted(send(testing::phone::unlockReceipt(identity, *request.requestId))));
    EXPECT_TRUE(runLoopUntil([&] { return panelShows(delivered); }));
    const auto refused = send(testing::phone::unlockApproval(identity, "req_another-request", 900,
                                                             wholeSecondsFromNow(900)));
    ASSERT_FALSE(refused.empty());
    EXPECT_NE(refused.back(), 0) << "an approval of no pending request was taken";
    EXPECT_TRUE(
        allAccepted(send(testing::phone::unlockCancellation(identity, *request.requestId))));
    EXPECT_TRUE(runLoopUntil([&] { return panelShows("iPhoneで解除申請を破棄しました"); }));
    EXPECT_TRUE(panelCovers(editorCover));
    EXPECT_TRUE(noAllowWindow());
}

}  // namespace
}  // namespace quorvel::journeytest
