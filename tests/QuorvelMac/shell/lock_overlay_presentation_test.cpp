#include "QuorvelMac/shell/lock_overlay_presentation.hpp"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using Status = LockOverlayState::Status;

TEST(LockOverlayPresentationTest, ButtonForEveryStatus) {
    const std::vector<std::pair<Status, LockOverlayActionPresentation>> table = {
        {Status::locked(), {"解除申請を送る", "iphone", true}},
        {Status::requesting(), {"解除申請を送信中…", "iphone", false}},
        {Status::confirmingIPhoneDelivery(),
         {"iPhoneへの到達を確認中…", "antenna.radiowaves.left.and.right", false}},
        {Status::waitingForIPhone(Date{5}),
         {"iPhoneで確認してください", "checkmark.circle", false}},
        {Status::approved(Date{5}), {"解除されました", "checkmark", false}},
        {Status::failed("だめでした"), {"解除申請をもう一度送る", "arrow.clockwise", true}},
    };
    for (const auto& [status, expected] : table) {
        EXPECT_EQ(LockOverlayActionPresentation(status), expected) << expected.title;
    }
}

TEST(LockOverlayPresentationTest, StatusBlockForEveryStatus) {
    const std::vector<std::pair<Status, LockOverlayStatusPresentation>> table = {
        {Status::locked(),
         {"ロック中", "解除するには、iPhoneでミッションをクリアしてください。", false}},
        {Status::requesting(), {"解除申請をMacから送信しています…", std::nullopt, false}},
        {Status::confirmingIPhoneDelivery(),
         {"iPhoneへの到達を確認しています…", "まだiPhoneに届いたとは確認できていません。", false}},
        {Status::waitingForIPhone(Date{5}),
         {"iPhoneに解除申請が届きました",
          "iPhoneでミッションを完了してください。承認されると自動で解除されます。", true}},
        {Status::approved(Date{5}), {"解除されました", std::nullopt, true}},
        {Status::failed("Bluetooth連携が応答しません"),
         {"Bluetooth連携が応答しません", std::nullopt, false}},
    };
    for (const auto& [status, expected] : table) {
        EXPECT_EQ(LockOverlayStatusPresentation(status), expected) << expected.title;
    }
}

TEST(LockOverlayPresentationTest, InFlightExactlyWhileARequestIsUnderWay) {
    EXPECT_FALSE(isRequestInFlight(Status::locked()));
    EXPECT_TRUE(isRequestInFlight(Status::requesting()));
    EXPECT_TRUE(isRequestInFlight(Status::confirmingIPhoneDelivery()));
    EXPECT_TRUE(isRequestInFlight(Status::waitingForIPhone(Date{1})));
    EXPECT_FALSE(isRequestInFlight(Status::approved(Date{1})));
    EXPECT_FALSE(isRequestInFlight(Status::failed("x")));
}

}  // namespace
}  // namespace quorvel
