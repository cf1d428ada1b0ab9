#include "QuorvelMac/model/pairing_state.hpp"

namespace quorvel {

namespace {

using Status = PairingState::Status;

std::optional<std::string> sessionTitleFor(std::optional<Status> status, bool isReplacement,
                                           bool hasSession) {
    if (!hasSession)
        return std::nullopt;
    const std::string prefix = isReplacement ? "再ペアリング" : "";
    if (status == Status::pending)
        return isReplacement ? "再ペアリング承認待ち" : "iPhoneの承認待ち";
    if (status == Status::approved)
        return prefix + "承認済み";
    if (status == Status::expired)
        return prefix + "期限切れ";
    return prefix + "状態を確認中";
}

}  // namespace

void PairingState::restorePairedDevice(const std::optional<MacLinkConfiguration>& configuration) {
    if (configuration && configuration->isUsableForUnlockRequests())
        pairedIPhoneName = configuration->iosDeviceId;
    else
        pairedIPhoneName.reset();
}

PairingStatusPresentation::PairingStatusPresentation(const PairingState& pairing) {
    const bool paired = pairing.pairedIPhoneName.has_value();
    const bool hasSession = pairing.sessionId.has_value();
    const std::optional<Status> status = pairing.status;
    isSessionUsable = hasSession && status == Status::pending;
    isSessionExpired = hasSession && status == Status::expired;
    if (paired) {
        connectionTitle = "iPhone登録あり";
        tone = Tone::connected;
    } else if (status == Status::pending) {
        connectionTitle = "iPhoneの承認待ち";
        tone = Tone::pending;
    } else if (status == Status::expired) {
        connectionTitle = "期限切れ";
        tone = Tone::expired;
    } else if (status == Status::approved) {
        connectionTitle = "接続情報を更新中";
        tone = Tone::pending;
    } else {
        connectionTitle = hasSession ? "状態を確認中" : "未ペアリング";
        tone = Tone::idle;
    }
    sessionTitle = sessionTitleFor(status, paired, hasSession);
}

}  // namespace quorvel
