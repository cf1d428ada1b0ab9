#include <gtest/gtest.h>

#include "QuorvelMac/ui/format/attention.hpp"

namespace quorvel::ui {
namespace {

// The daemon's status file as the model reads it.
BluetoothStatus read(const char* word, std::optional<std::string> detail = std::nullopt) {
    return {BluetoothLinkStatus::fromWord(word), std::move(detail)};
}

AttentionFacts allWell() {
    return {true, true, read("connected"), false};
}

TEST(Sidebar, RowsInOrderWithTheirTitlesAndSymbols) {
    const auto& rows = sidebarRows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].item, SidebarItem::overview);
    EXPECT_EQ(rows[0].title, "概要");
    EXPECT_EQ(rows[0].systemImage, "speedometer");
    EXPECT_EQ(rows[1].item, SidebarItem::targets);
    EXPECT_EQ(rows[1].title, "ロック対象");
    EXPECT_EQ(rows[1].systemImage, "shield");
    EXPECT_EQ(rows[2].item, SidebarItem::chrome);
    EXPECT_EQ(rows[2].title, "Chrome");
    EXPECT_EQ(rows[2].systemImage, "globe");
    EXPECT_EQ(rows[3].item, SidebarItem::pairing);
    EXPECT_EQ(rows[3].title, "ペアリング");
    EXPECT_EQ(rows[3].systemImage, "iphone");
}

struct WarningCase {
    const char* name;
    void (*change)(AttentionFacts&);
    bool targets, chrome, pairing;
};

TEST(Sidebar, WarningsFollowTheirOwnSourceOnly) {
    const WarningCase cases[] = {
        {"all well", [](AttentionFacts&) {}, false, false, false},
        {"no accessibility", [](AttentionFacts& f) { f.accessibilityPermissionGranted = false; },
         true, false, false},
        {"manifest failed", [](AttentionFacts& f) { f.nativeHostInstallFailed = true; }, false,
         true, false},
        {"paired, no status", [](AttentionFacts& f) { f.bluetooth = {}; }, false, false, true},
        {"paired, other status", [](AttentionFacts& f) { f.bluetooth = read("advertising"); },
         false, false, true},
        {"paired, status in capitals", [](AttentionFacts& f) { f.bluetooth = read("Connected"); },
         false, false, true},
        {"not paired though connected", [](AttentionFacts& f) { f.iPhonePaired = false; }, false,
         false, true},
    };
    for (const WarningCase& c : cases) {
        AttentionFacts facts = allWell();
        c.change(facts);
        EXPECT_FALSE(sidebarShowsWarning(SidebarItem::overview, facts)) << c.name;
        EXPECT_EQ(sidebarShowsWarning(SidebarItem::targets, facts), c.targets) << c.name;
        EXPECT_EQ(sidebarShowsWarning(SidebarItem::chrome, facts), c.chrome) << c.name;
        EXPECT_EQ(sidebarShowsWarning(SidebarItem::pairing, facts), c.pairing) << c.name;
    }
}

TEST(ConnectionIssues, NoneWhenEverythingIsWell) {
    EXPECT_TRUE(connectionIssues(allWell()).empty());
}

TEST(ConnectionIssues, AllFourInTableOrder) {
    const AttentionFacts facts{false, false, {}, true};
    const std::vector<ConnectionIssue> expected{
        {"アクセシビリティ権限が許可されていません", "ロック対象へ", SidebarItem::targets},
        {"iPhoneとペアリングされていません", "ペアリングへ", SidebarItem::pairing},
        {"iPhone接続状態を確認できません。準備中", "ペアリングへ", SidebarItem::pairing},
        {"Chrome連携の準備に失敗しました", "Chromeへ", SidebarItem::chrome},
    };
    EXPECT_EQ(connectionIssues(facts), expected);
}

TEST(ConnectionIssues, BluetoothMessageCarriesTheDaemonsText) {
    struct Case {
        BluetoothStatus status;
        std::optional<std::string> message;
    };
    const Case cases[] = {
        {{}, "iPhone接続状態を確認できません。準備中"},
        {read("advertising", "iPhoneを待っています"), "iPhoneと未接続。iPhoneを待っています"},
        {read("poweredOff"), "iPhoneと未接続。poweredOff"},
        {read("CONNECTED"), "iPhoneと未接続。CONNECTED"},
        {read("connected"), std::nullopt},
        {read("connected", "iPhoneと接続しています"), std::nullopt},
    };
    for (const Case& c : cases) {
        AttentionFacts facts = allWell();
        facts.bluetooth = c.status;
        const auto issues = connectionIssues(facts);
        if (!c.message) {
            EXPECT_TRUE(issues.empty());
            continue;
        }
        ASSERT_EQ(issues.size(), 1u);
        EXPECT_EQ(issues[0].message, *c.message);
        EXPECT_EQ(issues[0].actionTitle, "ペアリングへ");
        EXPECT_EQ(issues[0].destination, SidebarItem::pairing);
    }
}

}  // namespace
}  // namespace quorvel::ui
