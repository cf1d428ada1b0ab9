#include "QuorvelMac/ui/format/attention.hpp"

namespace quorvel::ui {

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
        case SidebarItem::overview:
            return false;
        case SidebarItem::targets:
            return !facts.accessibilityPermissionGranted;
        case SidebarItem::chrome:
            return facts.nativeHostInstallFailed;
        case SidebarItem::pairing:
            return !(facts.iPhonePaired && facts.bluetooth.isConnected());
    }
    return false;
}

std::vector<ConnectionIssue> connectionIssues(const AttentionFacts& facts) {
    std::vector<ConnectionIssue> issues;
    if (!facts.accessibilityPermissionGranted) {
        issues.push_back(
            {"アクセシビリティ権限が許可されていません", "ロック対象へ", SidebarItem::targets});
    }
    if (!facts.iPhonePaired) {
        issues.push_back(
            {"iPhoneとペアリングされていません", "ペアリングへ", SidebarItem::pairing});
    }
    if (!facts.bluetooth.isConnected()) {
        const std::string title =
            facts.bluetooth.link ? "iPhoneと未接続" : "iPhone接続状態を確認できません";
        issues.push_back({title + "。" + bluetoothStatusText(facts.bluetooth), "ペアリングへ",
                          SidebarItem::pairing});
    }
    if (facts.nativeHostInstallFailed) {
        issues.push_back({"Chrome連携の準備に失敗しました", "Chromeへ", SidebarItem::chrome});
    }
    return issues;
}

}  // namespace quorvel::ui
