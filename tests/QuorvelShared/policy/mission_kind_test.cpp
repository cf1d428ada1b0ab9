#include "QuorvelShared/policy/mission_kind.hpp"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(MissionKind, PropertiesOfEveryKind) {
    struct Row {
        MissionKind kind;
        MissionMetric metric;
        std::size_t presentationIndex;
        std::string_view nameKey;
        std::string_view unitKey;
    };
    const Row rows[] = {
        {MissionKind::squat, MissionMetric::exactCount, 3, "スクワット", "回"},
        {MissionKind::shake, MissionMetric::approximateCount, 2, "シェイク", "回"},
        {MissionKind::calculation, MissionMetric::exactCount, 5, "計算問題", "問"},
        {MissionKind::math, MissionMetric::exactCount, 6, "数学", "問"},
        {MissionKind::characterInput, MissionMetric::characterInput, 0, "文字入力", "文字"},
        {MissionKind::steps, MissionMetric::approximateCount, 4, "歩行・足踏み", "歩"},
        {MissionKind::breathing, MissionMetric::seconds, 1, "深呼吸", "秒"},
        {MissionKind::vocabulary, MissionMetric::exactCount, 7, "単語クイズ", "問"},
    };
    for (const auto& row : rows) {
        const std::string name(nameOf<MissionKind>(row.kind, missionKindNames));
        EXPECT_EQ(metric(row.kind), row.metric) << name;
        EXPECT_EQ(presentationIndex(row.kind), row.presentationIndex) << name;
        EXPECT_EQ(missionKindPresentationOrder[row.presentationIndex], row.kind) << name;
        EXPECT_EQ(displayNameKey(row.kind), row.nameKey) << name;
        EXPECT_EQ(unitLabelKey(row.kind), row.unitKey) << name;
    }
}

TEST(MissionKind, ValueOutsideTheOrderSortsLast) {
    EXPECT_EQ(presentationIndex(static_cast<MissionKind>(99)), 8u);
}

}  // namespace
}  // namespace quorvel
