#include "QuorvelMac/shell/lock_overlay_presentation.hpp"

namespace quorvel {

using Kind = LockOverlayState::Status::Kind;

LockOverlayActionPresentation::LockOverlayActionPresentation(
    const LockOverlayState::Status& status) {
    switch (status.kind) {
        case Kind::locked:
            *this = {"解除申請を送る", "iphone", true};
            break;
        case Kind::requesting:
            *this = {"解除申請を送信中…", "iphone", false};
            break;
        case Kind::confirmingIPhoneDelivery:
            *this = {"iPhoneへの到達を確認中…", "antenna.radiowaves.left.and.right", false};
            break;
        case Kind::waitingForIPhone:
            *this = {"iPhoneで確認してください", "checkmark.circle", false};
            break;
        case Kind::approved:
            *this = {"解除されました", "checkmark", false};
            break;
        case Kind::failed:
            *this = {"解除申請をもう一度送る", "arrow.clockwise", true};
            break;
    }
}

LockOverlayStatusPresentation::LockOverlayStatusPresentation(
    const LockOverlayState::Status& status) {
    switch (status.kind) {
        case Kind::locked:
            *this = {"ロック中", "解除するには、iPhoneでミッションをクリアしてください。", false};
            break;
        case Kind::requesting:
            *this = {"解除申請をMacから送信しています…", std::nullopt, false};
            break;
        case Kind::confirmingIPhoneDelivery:
            *this = {"iPhoneへの到達を確認しています…",
                     "まだiPhoneに届いたとは確認できていません。", false};
            break;
        case Kind::waitingForIPhone:
            *this = {"iPhoneに解除申請が届きました",
                     "iPhoneでミッションを完了してください。承認されると自動で解除されます。",
                     true};
            break;
        case Kind::approved:
            *this = {"解除されました", std::nullopt, true};
            break;
        case Kind::failed:
            *this = {status.message, std::nullopt, false};
            break;
    }
}

bool isRequestInFlight(const LockOverlayState::Status& status) {
    return status.kind == Kind::requesting || status.kind == Kind::confirmingIPhoneDelivery ||
           status.kind == Kind::waitingForIPhone;
}

}  // namespace quorvel
