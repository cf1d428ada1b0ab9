#include "QuorvelShared/policy/policy_enums.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "QuorvelShared/policy/mission_kind.hpp"
#include "testkit/capture_error.hpp"

namespace quorvel {
namespace {

// Every case must write its exact stored name and read back from it.
template <class E>
void expectStoredNames(EnumNameTable<E> table, const std::vector<std::string>& expected,
                       E (*read)(const Json&, const std::string&)) {
    ASSERT_EQ(table.size(), expected.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].name, expected[i]);
        EXPECT_EQ(toJson(table[i].value), Json(expected[i]));
        EXPECT_EQ(read(Json(expected[i]), "v"), table[i].value) << expected[i];
    }
}

TEST(PolicyEnums, StoredNamesAreExactInDeclarationOrder) {
    expectStoredNames<DeviceType>(deviceTypeNames, {"ios", "mac"}, deviceTypeFromJson);
    expectStoredNames<LockMode>(lockModeNames, {"always", "duringFocusSession", "scheduled"},
                                lockModeFromJson);
    expectStoredNames<TargetType>(targetTypeNames,
                                  {"iosApp", "iosWebDomain", "iosCategory", "webDomain", "macApp"},
                                  targetTypeFromJson);
    expectStoredNames<BreakScope>(breakScopeNames, {"perApp", "allApps"}, breakScopeFromJson);
    expectStoredNames<MissionMetric>(
        missionMetricNames, {"exactCount", "approximateCount", "seconds", "characterInput"},
        missionMetricFromJson);
    expectStoredNames<MissionKind>(missionKindNames,
                                   {"squat", "shake", "calculation", "math", "characterInput",
                                    "steps", "breathing", "vocabulary"},
                                   missionKindFromJson);
}

TEST(PolicyEnums, AllCasesFollowDeclarationOrder) {
    EXPECT_EQ(std::vector<LockMode>(std::begin(lockModeAllCases), std::end(lockModeAllCases)),
              (std::vector<LockMode>{LockMode::always, LockMode::duringFocusSession,
                                     LockMode::scheduled}));
    EXPECT_EQ(std::vector<BreakScope>(std::begin(breakScopeAllCases), std::end(breakScopeAllCases)),
              (std::vector<BreakScope>{BreakScope::perApp, BreakScope::allApps}));
    ASSERT_EQ(std::size(missionKindAllCases), std::size(missionKindNames));
    for (std::size_t i = 0; i < std::size(missionKindAllCases); ++i) {
        EXPECT_EQ(missionKindAllCases[i], missionKindNames[i].value);
    }
}

TEST(PolicyEnums, OtherSpellingsAndTypesAreRefused) {
    const Json rejected[] = {Json("Always"), Json("ALWAYS"), Json(""),     Json(" always"),
                             Json(0),        Json(true),     Json::array()};
    for (const auto& value : rejected) {
        EXPECT_THROW(lockModeFromJson(value, "lockMode"), json::DecodeError) << value;
    }
    EXPECT_THROW(breakScopeFromJson(Json("perapp"), "b"), json::DecodeError);
    EXPECT_THROW(targetTypeFromJson(Json("MacApp"), "t"), json::DecodeError);
    const auto error = testkit::captureError<json::DecodeError>(
        [] { return lockModeFromJson(Json("Always"), "policy.lockMode"); });
    ASSERT_TRUE(error) << "no error";
    EXPECT_EQ(error->kind(), json::DecodeErrorKind::dataCorrupted);
    EXPECT_EQ(error->path(), "policy.lockMode");
}

TEST(PolicyEnums, CharacterInputDecodesOnlyAsItsOwnEnumeration) {
    EXPECT_EQ(missionKindFromJson(Json("characterInput"), "k"), MissionKind::characterInput);
    EXPECT_EQ(missionMetricFromJson(Json("characterInput"), "m"), MissionMetric::characterInput);
    EXPECT_THROW(missionKindFromJson(Json("exactCount"), "k"), json::DecodeError);
    EXPECT_THROW(missionMetricFromJson(Json("squat"), "m"), json::DecodeError);
}

TEST(PolicyEnums, ValueWithoutStoredNameIsNotWritten) {
    EXPECT_THROW(toJson(static_cast<LockMode>(42)), json::EncodeError);
}

}  // namespace
}  // namespace quorvel
