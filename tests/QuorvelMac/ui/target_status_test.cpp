#include <gtest/gtest.h>

#include <map>

#include "QuorvelMac/ui/format/target_status.hpp"

namespace quorvel::ui {
namespace {

const Date now{790'000'000};

TEST(TargetCardPill, StatusTable) {
    struct Case {
        bool enabled;
        std::optional<double> endIn;
        PillContent expected;
    };
    const Case cases[] = {
        {false, std::nullopt, {"ロック無効", Tone::neutral, "pause.circle"}},
        {false, 65.0, {"ロック無効", Tone::neutral, "pause.circle"}},
        {true, std::nullopt, {"ロック中", Tone::warning, "lock.fill"}},
        {true, 65.0, {"解除中・残り1:05", Tone::positive, "lock.open.fill"}},
        {true, 64.0, {"解除中・残り1:04", Tone::positive, "lock.open.fill"}},
        {true, 0.0, {"ロック中", Tone::warning, "lock.fill"}},
        {true, -3.0, {"ロック中", Tone::warning, "lock.fill"}},
    };
    for (const Case& c : cases) {
        std::optional<Date> end;
        if (c.endIn) {
            end = now.addingSeconds(*c.endIn);
        }
        EXPECT_EQ(targetCardPill(c.enabled, end, now), c.expected);
    }
}

TEST(WebTargetPill, EnabledOrNot) {
    EXPECT_EQ(webTargetPill(true), (PillContent{"有効", Tone::positive, std::nullopt}));
    EXPECT_EQ(webTargetPill(false), (PillContent{"無効", Tone::neutral, std::nullopt}));
}

TEST(LockSummary, CountsLockedTargets) {
    EXPECT_EQ(lockSummary(0, 0), "ロック中のアプリはありません");
    EXPECT_EQ(lockSummary(3, 3), "ロック中のアプリはありません");
    EXPECT_EQ(lockSummary(3, 1), "2個のアプリをロック中");
    EXPECT_EQ(lockSummary(1, 0), "1個のアプリをロック中");
    EXPECT_EQ(lockSummary(1234, 0), "1234個のアプリをロック中");
}

TEST(MenuTexts, LinesAndItems) {
    EXPECT_EQ(menuUnlockedLine("Safari", now.addingSeconds(75), now), "Safari 解除中・残り1:15");
    EXPECT_EQ(menuRequestItemTitle("Safari", true), "Safari（解除中）");
    EXPECT_EQ(menuRequestItemTitle("Safari", false), "Safariの解除を申請");
    EXPECT_EQ(menuUnlockItemLimit, 8u);
}

TEST(SetupHeadline, OneIsWordedAlone) {
    EXPECT_EQ(setupHeadline(1), "あと1ステップでロックを開始できます。");
    EXPECT_EQ(setupHeadline(2), "あと2ステップでロックを開始できます。");
    EXPECT_EQ(setupHeadline(3), "あと3ステップでロックを開始できます。");
}

TEST(UnlockedTargets, KeepsOrderAndOnlyLaterEnds) {
    const std::vector<std::string> targets{"a", "b", "c", "d"};
    const std::map<std::string, Date> ends{
        {"a", now.addingSeconds(10)}, {"b", now}, {"d", now.addingSeconds(0.001)}};
    const auto unlocked = unlockedTargets(
        targets,
        [&](const std::string& id) -> std::optional<Date> {
            const auto found = ends.find(id);
            return found == ends.end() ? std::nullopt : std::optional<Date>(found->second);
        },
        now);
    ASSERT_EQ(unlocked.size(), 2u);
    EXPECT_EQ(unlocked[0].first, "a");
    EXPECT_EQ(unlocked[1].first, "d");
}

}  // namespace
}  // namespace quorvel::ui
