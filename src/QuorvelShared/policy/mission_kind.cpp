#include "QuorvelShared/policy/mission_kind.hpp"

#include <iterator>

namespace quorvel {
namespace {

struct MissionKindTraits {
    MissionKind kind;
    MissionMetric metric;
    std::string_view displayNameKey;
    std::string_view unitLabelKey;
};

constexpr MissionKindTraits traitsTable[] = {
    {MissionKind::squat, MissionMetric::exactCount, "スクワット", "回"},
    {MissionKind::shake, MissionMetric::approximateCount, "シェイク", "回"},
    {MissionKind::calculation, MissionMetric::exactCount, "計算問題", "問"},
    {MissionKind::math, MissionMetric::exactCount, "数学", "問"},
    {MissionKind::characterInput, MissionMetric::characterInput, "文字入力", "文字"},
    {MissionKind::steps, MissionMetric::approximateCount, "歩行・足踏み", "歩"},
    {MissionKind::breathing, MissionMetric::seconds, "深呼吸", "秒"},
    {MissionKind::vocabulary, MissionMetric::exactCount, "単語クイズ", "問"},
};

const MissionKindTraits& traitsOf(MissionKind kind) {
    for (const auto& traits : traitsTable) {
        if (traits.kind == kind) {
            return traits;
        }
    }
    // Only a value cast from an out-of-range integer gets here.
    static constexpr MissionKindTraits unknown{MissionKind::squat, MissionMetric::exactCount, "",
                                               ""};
    return unknown;
}

}  // namespace

MissionMetric metric(MissionKind kind) {
    return traitsOf(kind).metric;
}

std::size_t presentationIndex(MissionKind kind) {
    for (std::size_t i = 0; i < std::size(missionKindPresentationOrder); ++i) {
        if (missionKindPresentationOrder[i] == kind) {
            return i;
        }
    }
    return std::size(missionKindPresentationOrder);
}

std::string_view displayNameKey(MissionKind kind) {
    return traitsOf(kind).displayNameKey;
}

std::string_view unitLabelKey(MissionKind kind) {
    return traitsOf(kind).unitLabelKey;
}

}  // namespace quorvel
