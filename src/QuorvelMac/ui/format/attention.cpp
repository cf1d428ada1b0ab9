#include "QuorvelMac/ui/format/attention.hpp"

namespace quorvel::ui {

bool isBluetoothConnected(const std::optional<std::string>& statusCode) {
    return statusCode && *statusCode == "connected";
}

const std::array<SidebarRow, 4>& sidebarRows() {
    static const std::array<SidebarRow, 4> rows{{
        {SidebarItem::overview, "概要", "speedometer"},
        {SidebarItem::targets, "ロック対象", "shield"},
        {SidebarItem::chrome, "Chrome", "globe"},
        {SidebarItem::pairing, "ペアリング", "iphone"},
    }};
    return rows;
}

bool sidebarShowsWarning(SidebarItem item, const AttentionFacts& facts) {
    switch (item) {
    case SidebarItem::overview: return false;
    case SidebarItem::targets: return !facts.accessibilityPermissionGranted;
    case SidebarItem::chrome: return facts.nativeHostInstallFailed;
    case SidebarItem::pairing:
        return !(facts.iPhonePaired && isBluetoothConnected(facts.bluetoothStatusCode));
    }
    return false;
}

std::vector<ConnectionIssue> connectionIssues(const AttentionFacts& facts) {
    std::vector<ConnectionIssue> issues;
    if (!facts.accessibilityPermissionGranted) {
        issues.push_back({"アクセシビリティ権限が許可されていません", "ロック対象へ",
                          SidebarItem::targets});
    }
    if (!facts.iPhonePaired) {
        issues.push_back({"iPhoneとペアリングされていません", "ペアリングへ", SidebarItem::pairing});
    }
    if (!isBluetoothConnected(facts.bluetoothStatusCode)) {
        const std::string title =
            facts.bluetoothStatusCode ? "iPhoneと未接続" : "iPhone接続状態を確認できません";
        issues.push_back({title + "。" + facts.bluetoothStatus, "ペアリングへ", SidebarItem::pairing});
    }
    if (facts.nativeHostInstallFailed) {
        issues.push_back({"Chrome連携の準備に失敗しました", "Chromeへ", SidebarItem::chrome});
    }
    return issues;
}

}  // namespace quorvel::ui
