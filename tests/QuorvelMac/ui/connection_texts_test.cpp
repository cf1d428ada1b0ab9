#include <gtest/gtest.h>

#include "QuorvelMac/ui/format/connection_texts.hpp"

namespace quorvel::ui {
namespace {

TEST(BluetoothStatusPill, ComparesTheWordExactly) {
    const PillContent unknown{"iPhone接続状態を確認できません", Tone::warning,
                              "antenna.radiowaves.left.and.right.slash"};
    const PillContent connected{"iPhoneからのBluetooth応答履歴あり", Tone::neutral,
                                "clock.arrow.circlepath"};
    const PillContent other{"iPhoneと未接続", Tone::warning,
                            "antenna.radiowaves.left.and.right.slash"};
    const auto read = [](const char* word) {
        return BluetoothStatus{BluetoothLinkStatus::fromWord(word), std::nullopt};
    };
    EXPECT_EQ(bluetoothStatusPill({}), unknown);
    EXPECT_EQ(bluetoothStatusPill(read("connected")), connected);
    EXPECT_EQ(bluetoothStatusPill(read("Connected")), other);
    EXPECT_EQ(bluetoothStatusPill(read("")), other);
    EXPECT_EQ(bluetoothStatusPill(read("advertising")), other);
}

TEST(PairingButtonTitle, OfferThenPairedThenStart) {
    EXPECT_EQ(pairingButtonTitle(true, true), "コードを作り直す");
    EXPECT_EQ(pairingButtonTitle(true, false), "コードを作り直す");
    EXPECT_EQ(pairingButtonTitle(false, true), "再ペアリング");
    EXPECT_EQ(pairingButtonTitle(false, false), "ペアリング開始");
}

TEST(PairingInstructions, FirstMatchingRowWins) {
    const std::string expiredPaired =
        "表示していたQRコードの期限が切れました。新しいコードを作ると再ペアリングできます。"
        "現在のペアリングはそのまま利用できます。";
    const std::string expiredUnpaired =
        "表示していたQRコードの期限が切れました。新しいコードを作ってiPhoneで読み取ってください。";
    const std::string scan = "iPhoneアプリの設定 > Mac連携 からQRコードを読み取ってください。";
    const std::string paired =
        "このMacにはiPhoneの登録情報があります。iPhone側にこのMacが表示されない場合は、"
        "再ペアリングしてください。現在の通信状態は上部に表示されます。";
    const std::string start =
        "ペアリングを開始し、iPhoneアプリの設定 > Mac連携 からQRコードを読み取ってください。";
    EXPECT_EQ(pairingInstructions(true, true, true), expiredPaired);
    EXPECT_EQ(pairingInstructions(true, false, true), expiredUnpaired);
    EXPECT_EQ(pairingInstructions(false, true, true), scan);
    EXPECT_EQ(pairingInstructions(false, false, true), scan);
    EXPECT_EQ(pairingInstructions(false, true, false), paired);
    EXPECT_EQ(pairingInstructions(false, false, false), start);
}

TEST(ChromePills, ConnectionAndManifest) {
    EXPECT_EQ(chromeConnectionPill(true),
              (PillContent{"接続済み", Tone::positive, "checkmark.circle.fill"}));
    EXPECT_EQ(chromeConnectionPill(false),
              (PillContent{"未接続", Tone::warning, "exclamationmark.circle"}));
    EXPECT_EQ(nativeHostPill(true), (PillContent{"準備済み", Tone::positive, std::nullopt}));
    EXPECT_EQ(nativeHostPill(false),
              (PillContent{"準備できていません", Tone::warning, std::nullopt}));
}

}  // namespace
}  // namespace quorvel::ui
