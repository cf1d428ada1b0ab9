#include "QuorvelMac/ui/format/connection_texts.hpp"

namespace quorvel::ui {

PillContent bluetoothStatusPill(const BluetoothStatus& status) {
    if (!status.link) {
        return {"iPhone接続状態を確認できません", Tone::warning,
                "antenna.radiowaves.left.and.right.slash"};
    }
    if (status.isConnected()) {
        return {"iPhoneからのBluetooth応答履歴あり", Tone::neutral, "clock.arrow.circlepath"};
    }
    return {"iPhoneと未接続", Tone::warning, "antenna.radiowaves.left.and.right.slash"};
}

std::string pairingButtonTitle(bool offerExists, bool paired) {
    if (offerExists) {
        return "コードを作り直す";
    }
    return paired ? "再ペアリング" : "ペアリング開始";
}

std::string pairingInstructions(bool sessionExpired, bool paired, bool qrTextSet) {
    if (sessionExpired && paired) {
        return "表示していたQRコードの期限が切れました。新しいコードを作ると再ペアリングできます。"
               "現在のペアリングはそのまま利用できます。";
    }
    if (sessionExpired) {
        return "表示していたQRコードの期限が切れました。新しいコードを作ってiPhoneで読み取って"
               "ください。";
    }
    if (qrTextSet) {
        return "iPhoneアプリの設定 > Mac連携 からQRコードを読み取ってください。";
    }
    if (paired) {
        return "このMacにはiPhoneの登録情報があります。iPhone側にこのMacが表示されない場合は、"
               "再ペアリングしてください。現在の通信状態は上部に表示されます。";
    }
    return "ペアリングを開始し、iPhoneアプリの設定 > Mac連携 からQRコードを読み取ってください。";
}

PillContent chromeConnectionPill(bool connected) {
    return connected ? PillContent{"接続済み", Tone::positive, "checkmark.circle.fill"}
                     : PillContent{"未接続", Tone::warning, "exclamationmark.circle"};
}

PillContent nativeHostPill(bool installed) {
    return installed ? PillContent{"準備済み", Tone::positive, std::nullopt}
                     : PillContent{"準備できていません", Tone::warning, std::nullopt};
}

}  // namespace quorvel::ui
