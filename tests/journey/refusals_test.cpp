// What the phone may answer that opens nothing: an approval signed with another key or for
// another request, and the user's cancellation. The panel stays over the window and says why;
// no allow window is written.
#include <functional>
#include <string>
#include <vector>

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
    const auto approvalFrom = [](const testing::PhoneIdentity& signer, const std::string& id) {
        return testing::phone::unlockApproval(signer, id, 900, wholeSecondsFromNow(900));
    };

    struct Refusal {
        const char* what;
        std::function<void(const std::string& requestId)> answer;
        std::string status;  // what the panel says after it
    };
    const std::vector<Refusal> refusals = {
        {"signed with another key",
         [&](const std::string& requestId) {
             EXPECT_TRUE(allAccepted(send(approvalFrom(stranger, requestId))));
         },
         "iPhoneからの承認を確認できませんでした"},
        {"signed for another request, though sent under this one's id",
         [&](const std::string& requestId) {
             auto borrowed = approvalFrom(identity, "req_another-request");
             borrowed.requestId = requestId;
             EXPECT_TRUE(allAccepted(send(borrowed)));
         },
         "iPhoneからの承認を確認できませんでした"},
        // An approval of another request is refused on the link (bluetoothd answers the write
        // with an error); the request goes on waiting, and the user's cancellation ends it.
        {"an approval of another request, then the user's cancellation",
         [&](const std::string& requestId) {
             const auto refused = send(approvalFrom(identity, "req_another-request"));
             ASSERT_FALSE(refused.empty());
             EXPECT_NE(refused.back(), 0) << "an approval of no pending request was taken";
             EXPECT_TRUE(
                 allAccepted(send(testing::phone::unlockCancellation(identity, requestId))));
         },
         "iPhoneで解除申請を破棄しました"},
    };

    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.what);
        pressPanelButton(editorCover);
        const auto request = nextUnlockRequest();
        ASSERT_TRUE(request.requestId);
        EXPECT_EQ(openContext(request).targetLocalId, editorId);
        // Each refusal comes after the phone has confirmed the delivery, so the text the panel
        // is left with is that refusal's own.
        EXPECT_TRUE(allAccepted(send(testing::phone::unlockReceipt(identity, *request.requestId))));
        EXPECT_TRUE(runLoopUntil([&] { return panelShows("iPhoneに解除申請が届きました"); }));
        refusal.answer(*request.requestId);
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_TRUE(runLoopUntil([&] { return panelShows(refusal.status); }));
        EXPECT_TRUE(panelCovers(editorCover));
        EXPECT_FALSE(AllowWindowStateStore::load(systemClock().now()).count(editorId))
            << "an allow window was written";
    }
}

}  // namespace
}  // namespace quorvel::journeytest
