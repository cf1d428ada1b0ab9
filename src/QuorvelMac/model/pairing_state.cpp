#include "QuorvelMac/model/pairing_state.hpp"

#include "QuorvelShared/support/text.hpp"

namespace quorvel {

namespace {

std::optional<std::string> lowered(const std::optional<std::string>& text) {
    if (!text)
        return std::nullopt;
    return asciiLowercased(*text);
}

std::optional<std::string> sessionTitleFor(const std::optional<std::string>& status,
                                           bool isReplacement, bool hasSession) {
    if (!hasSession)
        return std::nullopt;
    const std::string prefix = isReplacement ? "再ペアリング" : "";
    if (status == "pending")
        return isReplacement ? "再ペアリング承認待ち" : "iPhoneの承認待ち";
    if (status == "approved")
        return prefix + "承認済み";
    if (status == "expired")
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
    const auto status = lowered(pairing.status);
    isSessionUsable = hasSession && status == "pending";
    isSessionExpired = hasSession && status == "expired";
    if (paired) {
        connectionTitle = "iPhone登録あり";
        tone = Tone::connected;
    } else if (status == "pending") {
        connectionTitle = "iPhoneの承認待ち";
        tone = Tone::pending;
    } else if (status == "expired") {
        connectionTitle = "期限切れ";
        tone = Tone::expired;
    } else if (status == "approved") {
        connectionTitle = "接続情報を更新中";
        tone = Tone::pending;
    } else {
        connectionTitle = hasSession ? "状態を確認中" : "未ペアリング";
        tone = Tone::idle;
    }
    sessionTitle = sessionTitleFor(status, paired, hasSession);
}

}  // namespace quorvel
