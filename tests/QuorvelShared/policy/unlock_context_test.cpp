#include "QuorvelShared/policy/unlock_context.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/policy/unlock_approval.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {
namespace {

using PolicySnapshot = UnlockContextPlaintext::PolicySnapshot;

const Date created = *parseIsoDate("2024-05-01T09:30:00Z");

std::string compact(const Json& value) {
    return json::write(value, json::Style::compact);
}

const std::string squatJson = compact(toJson(MissionPolicy::defaultMission(MissionKind::squat)));

PolicySnapshot decodeSnapshot(const std::string& text) {
    return policySnapshotFromJson(json::parse(text), "policySnapshot");
}

UnlockContextPlaintext sampleContext() {
    return UnlockContextPlaintext{
        .requestId = "req_7A1D0E11-0F6C-4D5C-9E6B-3C2C7A1D0E11",
        .targetLocalId = "org.example.Editor",
        .targetType = TargetType::macApp,
        .targetDisplayName = "エディタ",
        .policySnapshot = PolicySnapshot::forUnlock(DefaultLockPolicy::defaultFree()),
        .createdAt = created,
        .remoteOpenBatches = std::nullopt,
    };
}

TEST(PolicySnapshot, TolerantReading) {
    const PolicySnapshot minimal = decodeSnapshot(R"({"durationOptions":[300],"missionPolicy":)" +
                                                  squatJson + R"(,"warningBeforeEndSeconds":60})");
    EXPECT_FALSE(minimal.customDurationSelectionEnabled);
    EXPECT_EQ(minimal.missions, std::nullopt);
    EXPECT_EQ(minimal.breakDurationSeconds, 0);
    EXPECT_EQ(minimal.availableMissions(), std::vector<MissionPolicy>{minimal.missionPolicy});

    const PolicySnapshot nulls = decodeSnapshot(
        R"({"durationOptions":[],"missionPolicy":)" + squatJson +
        R"(,"missions":null,"customDurationSelectionEnabled":null,"breakDurationSeconds":null,)"
        R"("warningBeforeEndSeconds":5,"unknownKey":true})");
    EXPECT_EQ(nulls.missions, std::nullopt);
    EXPECT_EQ(nulls.breakDurationSeconds, 0);

    const char* rejected[] = {
        R"({"durationOptions":[300],"missionPolicy":{}, "warningBeforeEndSeconds":60})",
        R"({"missionPolicy":SQUAT,"warningBeforeEndSeconds":60})",
        R"({"durationOptions":[300],"missionPolicy":SQUAT})",
        R"({"durationOptions":[300],"warningBeforeEndSeconds":60})",
        R"({"durationOptions":[300],"missionPolicy":SQUAT,"warningBeforeEndSeconds":60,)"
        R"("missions":[{"kind":"jump"}]})",
    };
    for (std::string text : rejected) {
        if (const auto at = text.find("SQUAT"); at != std::string::npos) {
            text.replace(at, 5, squatJson);
        }
        EXPECT_THROW(decodeSnapshot(text), json::DecodeError) << text;
    }
}

TEST(PolicySnapshot, MissionsListPresentOrAbsent) {
    const MissionPolicy shake = MissionPolicy::defaultMission(MissionKind::shake);
    const MissionPolicy math = MissionPolicy::defaultMission(MissionKind::math);
    PolicySnapshot snapshot = PolicySnapshot::forUnlock(DefaultLockPolicy::defaultFree());

    snapshot.missions = std::vector<MissionPolicy>{};
    const Json emptyList = toJson(snapshot);
    EXPECT_EQ(emptyList.at("missions"), Json::array()) << "an empty list is still written";
    const PolicySnapshot reread = policySnapshotFromJson(emptyList, "");
    EXPECT_EQ(reread.missions, std::vector<MissionPolicy>{});
    EXPECT_EQ(reread.availableMissions(), std::vector<MissionPolicy>{snapshot.missionPolicy});

    snapshot.missions = std::vector<MissionPolicy>{shake, math};
    EXPECT_EQ(policySnapshotFromJson(toJson(snapshot), "").availableMissions(),
              (std::vector<MissionPolicy>{shake, math}));

    snapshot.missions.reset();
    EXPECT_FALSE(toJson(snapshot).contains("missions"));
}

TEST(PolicySnapshot, ForUnlockSendsNoFreeChoiceAndNoBreak) {
    DefaultLockPolicy policy;
    policy.customDurationSelectionEnabled = true;
    policy.breakDurationSeconds = 900;
    policy.durationOptions = {600, 1800};
    policy.warningBeforeEndSeconds = 120;
    policy.missions = {MissionPolicy::defaultMission(MissionKind::steps),
                       MissionPolicy::defaultMission(MissionKind::math)};
    const PolicySnapshot snapshot = PolicySnapshot::forUnlock(policy);
    EXPECT_EQ(snapshot, (PolicySnapshot{
                            .durationOptions = {600, 1800},
                            .customDurationSelectionEnabled = false,
                            .missionPolicy = MissionPolicy::defaultMission(MissionKind::steps),
                            .missions = policy.missions,
                            .warningBeforeEndSeconds = 120,
                            .breakDurationSeconds = 0,
                        }));
}

TEST(UnlockContextPlaintext, JsonLeavesAbsentBatchesOut) {
    const UnlockContextPlaintext context = sampleContext();
    const std::string text = compact(toJson(context));
    EXPECT_EQ(text,
              R"({"requestId":"req_7A1D0E11-0F6C-4D5C-9E6B-3C2C7A1D0E11",)"
              R"("targetLocalId":"org.example.Editor","targetType":"macApp",)"
              R"("targetDisplayName":"エディタ","policySnapshot":{"durationOptions":[300,1200],)"
              R"("customDurationSelectionEnabled":false,"missionPolicy":)" +
                  squatJson + R"(,"missions":[)" + squatJson +
                  R"(],"warningBeforeEndSeconds":60,"breakDurationSeconds":0},)"
                  R"("createdAt":"2024-05-01T09:30:00Z"})");
    const UnlockContextPlaintext reread = unlockContextPlaintextFromJson(json::parse(text), "");
    EXPECT_EQ(reread, context);

    Json withEmpty = toJson(context);
    withEmpty["remoteOpenBatches"] = Json::array();
    EXPECT_EQ(unlockContextPlaintextFromJson(withEmpty, "").remoteOpenBatches,
              std::vector<RemoteOpenEventBatch>{});
    withEmpty["remoteOpenBatches"] = nullptr;
    EXPECT_EQ(unlockContextPlaintextFromJson(withEmpty, "").remoteOpenBatches, std::nullopt);
}

TEST(UnlockContextPlaintext, RoundTripWithBatches) {
    UnlockContextPlaintext context = sampleContext();
    context.targetType = TargetType::webDomain;
    context.remoteOpenBatches = std::vector<RemoteOpenEventBatch>{{
        .id = "B1",
        .createdAt = created,
        .entries = {RemoteOpenDailyCount::make("example.com", "2024-05-01", 4, {0, 4}, created)},
    }};
    EXPECT_EQ(unlockContextPlaintextFromJson(json::parse(compact(toJson(context))), ""), context);
}

TEST(UnlockContextPlaintext, ReadingFailures) {
    const Json valid = toJson(sampleContext());
    for (const char* key : {"requestId", "targetLocalId", "targetType", "targetDisplayName",
                            "policySnapshot", "createdAt"}) {
        Json missing = valid;
        missing.erase(key);
        EXPECT_THROW(unlockContextPlaintextFromJson(missing, ""), json::DecodeError) << key;
    }
    Json badType = valid;
    badType["targetType"] = "macapp";
    EXPECT_THROW(unlockContextPlaintextFromJson(badType, ""), json::DecodeError);
}

TEST(UnlockContextPlaintext, ForUnlockLeavesNoEmptyBatchList) {
    const auto withoutBatches = UnlockContextPlaintext::forUnlock(
        "req_1", "t", TargetType::macApp, "T", DefaultLockPolicy::defaultFree(), created, {});
    EXPECT_EQ(withoutBatches.remoteOpenBatches, std::nullopt);
    EXPECT_EQ(withoutBatches.createdAt, created);

    const RemoteOpenEventBatch batch{.id = "B", .createdAt = created, .entries = {}};
    const auto withBatches =
        UnlockContextPlaintext::forUnlock("req_1", "t", TargetType::webDomain, "T",
                                          DefaultLockPolicy::defaultFree(), created, {batch});
    EXPECT_EQ(withBatches.remoteOpenBatches, std::vector<RemoteOpenEventBatch>{batch});
}

TEST(UnlockApproval, JsonRoundTripWithBase64Signature) {
    const UnlockApproval approval{
        .requestId = "req_1",
        .approvedDurationSeconds = 1200,
        .approvedUntil = created,
        .iosDeviceId = "ios-device",
        .signature = {0x30, 0x45, 0x02, 0xff},
    };
    const Json value = toJson(approval);
    EXPECT_EQ(compact(value),
              R"({"requestId":"req_1","approvedDurationSeconds":1200,)"
              R"("approvedUntil":"2024-05-01T09:30:00Z","iosDeviceId":"ios-device",)"
              R"("signature":"MEUC\/w=="})");
    EXPECT_EQ(unlockApprovalFromJson(value, ""), approval);

    for (const char* key :
         {"requestId", "approvedDurationSeconds", "approvedUntil", "iosDeviceId", "signature"}) {
        Json missing = value;
        missing.erase(key);
        EXPECT_THROW(unlockApprovalFromJson(missing, ""), json::DecodeError) << key;
    }
    Json badSignature = value;
    badSignature["signature"] = "MEUC/w";
    EXPECT_THROW(unlockApprovalFromJson(badSignature, ""), json::DecodeError);
}

}  // namespace
}  // namespace quorvel
