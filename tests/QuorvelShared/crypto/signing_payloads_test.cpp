#include "QuorvelShared/crypto/signing_payloads.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/support/json_reader.hpp"

namespace quorvel {
namespace {

Date at(const char* iso) {
    return *parseIsoDate(iso);
}

TEST(SigningPayloads, CanonicalBytesAreSortedCompactAndEscaped) {
    EXPECT_EQ(canonicalBytes(UnlockApprovalSigningPayload{"req_A/B", 900,
                                                          at("2024-05-01T10:15:00Z"), "ios-1"}),
              R"({"approvedDurationSeconds":900,"approvedUntil":"2024-05-01T10:15:00Z",)"
              R"("iosDeviceId":"ios-1","requestId":"req_A\/B"})");
    EXPECT_EQ(canonicalBytes(LinkedUnlockSigningPayload{"mac-1", "app:x",
                                                        at("2024-05-01T10:15:00Z"), "ios-1", 7}),
              R"({"approvedUntil":"2024-05-01T10:15:00Z","iosDeviceId":"ios-1",)"
              R"("macDeviceId":"mac-1","revision":7,"targetId":"app:x"})");
    EXPECT_EQ(canonicalBytes(LinkedUnlockReceiptSigningPayload{"mac-1", "ios-1", "app:x", -1}),
              R"({"iosDeviceId":"ios-1","macDeviceId":"mac-1","revision":-1,"targetId":"app:x"})");
    EXPECT_EQ(canonicalBytes(TargetSyncReceiptSigningPayload{"mac-1", "ios-1", "sync_1", 12}),
              R"({"iosDeviceId":"ios-1","macDeviceId":"mac-1","requestId":"sync_1","version":12})");
}

TEST(SigningPayloads, TrustedStateLeavesAbsentFieldsOut) {
    BLETrustedStateSigningPayload payload{BLELocalPrototypeMessageKind::unpair,
                                          "ios-1",
                                          "req_1",
                                          std::nullopt,
                                          std::nullopt,
                                          std::nullopt};
    EXPECT_EQ(canonicalBytes(payload),
              R"({"iosDeviceId":"ios-1","kind":"unpair","requestId":"req_1"})");

    payload.kind = BLELocalPrototypeMessageKind::targetSync;
    payload.macDeviceId = "mac-1";
    payload.encryptedTargetPayload = "ab/c+d==";
    payload.targetSyncVersion = 3;
    EXPECT_EQ(canonicalBytes(payload),
              R"({"encryptedTargetPayload":"ab\/c+d==","iosDeviceId":"ios-1","kind":"targetSync",)"
              R"("macDeviceId":"mac-1","requestId":"req_1","targetSyncVersion":3})");
}

TEST(SigningPayloads, NonAsciiAndControlCharactersMatchThePeer) {
    const LinkedUnlockReceiptSigningPayload payload{"書斎", "a\"b\\c\n\x01", "t", 0};
    EXPECT_EQ(canonicalBytes(payload),
              "{\"iosDeviceId\":\"a\\\"b\\\\c\\n\\u0001\",\"macDeviceId\":\"書斎\","
              "\"revision\":0,\"targetId\":\"t\"}");
}

TEST(SigningPayloads, DecodeFromTheirOwnJson) {
    const UnlockApprovalSigningPayload approval{"req_1", 60, at("2024-05-01T10:15:00Z"), "ios"};
    EXPECT_EQ(unlockApprovalSigningPayloadFromJson(toJson(approval), ""), approval);
    const LinkedUnlockSigningPayload linked{"mac", "t", at("2024-05-01T10:15:00Z"), "ios", 2};
    EXPECT_EQ(linkedUnlockSigningPayloadFromJson(toJson(linked), ""), linked);
    const LinkedUnlockReceiptSigningPayload receipt{"mac", "ios", "t", 2};
    EXPECT_EQ(linkedUnlockReceiptSigningPayloadFromJson(toJson(receipt), ""), receipt);
    const TargetSyncReceiptSigningPayload sync{"mac", "ios", "r", 4};
    EXPECT_EQ(targetSyncReceiptSigningPayloadFromJson(toJson(sync), ""), sync);
    const BLETrustedStateSigningPayload trusted{
        BLELocalPrototypeMessageKind::targetSync, "ios", "r", "mac", std::nullopt, 5};
    EXPECT_EQ(bleTrustedStateSigningPayloadFromJson(toJson(trusted), ""), trusted);

    EXPECT_THROW((void)bleTrustedStateSigningPayloadFromJson(
                     json::parse(R"({"kind":"targetSync","iosDeviceId":"i"})"), ""),
                 json::DecodeError);
    EXPECT_EQ(bleTrustedStateSigningPayloadFromJson(
                  json::parse(R"({"kind":"unpair","iosDeviceId":"i","requestId":"r",)"
                              R"("macDeviceId":null})"),
                  "")
                  .macDeviceId,
              std::nullopt);
}

}  // namespace
}  // namespace quorvel
