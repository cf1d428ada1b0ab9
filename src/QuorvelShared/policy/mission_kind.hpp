#pragma once

// The missions the iPhone can demand before it approves an unlock, with what the interface needs
// of each: how it is counted, where it stands in lists, and its Japanese name and unit.
#include <cstddef>
#include <string>
#include <string_view>

#include "QuorvelShared/policy/policy_enums.hpp"

namespace quorvel {

enum class MissionKind {
    squat,
    shake,
    calculation,
    math,
    characterInput,
    steps,
    breathing,
    vocabulary
};
constexpr EnumName<MissionKind> missionKindNames[] = {
    {MissionKind::squat, "squat"},
    {MissionKind::shake, "shake"},
    {MissionKind::calculation, "calculation"},
    {MissionKind::math, "math"},
    {MissionKind::characterInput, "characterInput"},
    {MissionKind::steps, "steps"},
    {MissionKind::breathing, "breathing"},
    {MissionKind::vocabulary, "vocabulary"},
};
constexpr MissionKind missionKindAllCases[] = {
    MissionKind::squat,     MissionKind::shake,          MissionKind::calculation,
    MissionKind::math,      MissionKind::characterInput, MissionKind::steps,
    MissionKind::breathing, MissionKind::vocabulary,
};
// The order in which the interface lists missions.
constexpr MissionKind missionKindPresentationOrder[] = {
    MissionKind::characterInput, MissionKind::breathing,  MissionKind::shake,
    MissionKind::squat,          MissionKind::steps,      MissionKind::calculation,
    MissionKind::math,           MissionKind::vocabulary,
};

MissionMetric metric(MissionKind kind);

// The kind's position in missionKindPresentationOrder; a value outside it gets 8 (after all).
std::size_t presentationIndex(MissionKind kind);

// The Japanese source texts of the kind's name and unit: the keys of their localisations and at
// the same time the wording shown in Japanese.
std::string_view displayNameKey(MissionKind kind);
std::string_view unitLabelKey(MissionKind kind);

inline Json toJson(MissionKind value) {
    return enumJson<MissionKind>(value, missionKindNames);
}
inline MissionKind missionKindFromJson(const Json& value, const std::string& path) {
    return json::readEnum<MissionKind>(value, path, missionKindNames);
}

}  // namespace quorvel
