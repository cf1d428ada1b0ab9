#include "QuorvelShared/messages/ble_local_prototype_wire_message.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/support/json_reader.hpp"
#include "testkit/capture_error.hpp"

namespace quorvel {
namespace {

Date at(const char* iso) {
    return *parseIsoDate(iso);
}

std::vector<std::string> keysOf(const std::string& text) {
    const Json object = json::parse(text);
    std::vector<std::string> keys;
    for (const auto& [key, value] : object.items()) {
        keys.push_back(key);
    }
    return keys;
}

std::optional<json::DecodeErrorKind> decodeErrorOf(const std::string& text) {
    const auto error = testkit::captureError<json::DecodeError>(
        [&] { return decodeBLELocalPrototypeWireMessage(text); });
    return error ? std::optional(error->kind()) : std::nullopt;
}

TEST(BLELocalPrototypeMessageKind, ControlMessagesAreTheFourUnpromptedKinds) {
    std::vector<std::string> control;
    for (const auto& entry : bleLocalPrototypeMessageKindNames) {
        if (isIOSControlMessage(entry.value)) {
            control.emplace_back(entry.name);
        }
    }
    EXPECT_EQ(control, (std::vector<std::string>{"targetSync", "linkedUnlock", "pairingApproval",
                                                 "unpair"}));
    EXPECT_EQ(std::size(bleLocalPrototypeMessageKindNames), 13u);
}

TEST(BLELocalPrototypeWireMessage, UnlockRequestFactoryWritesExactlySevenKeys) {
    const auto message = BLELocalPrototypeWireMessage::unlockRequest(
        "req_1", "ZW52", at("2024-05-01T10:00:00Z"), at("2024-05-01T09:00:30Z"), "mac-1");
    EXPECT_EQ(encodeBLELocalPrototypeWireMessage(message),
              "{\"version\":1,\"kind\":\"unlockRequest\",\"requestId\":\"req_1\","
              "\"encryptedContext\":\"ZW52\",\"expiresAt\":\"2024-05-01T10:00:00Z\","
              "\"deliveryDeadline\":\"2024-05-01T09:00:30Z\",\"macDeviceId\":\"mac-1\"}");
}

TEST(BLELocalPrototypeWireMessage, MinimalMessageHasOnlyVersionAndKind) {
    BLELocalPrototypeWireMessage message;
    message.kind = BLELocalPrototypeMessageKind::unpair;
    EXPECT_EQ(encodeBLELocalPrototypeWireMessage(message), "{\"version\":1,\"kind\":\"unpair\"}");
}

TEST(BLELocalPrototypeWireMessage, EveryFieldRoundTrips) {
    BLELocalPrototypeWireMessage m;
    m.version = 1;
    m.kind = BLELocalPrototypeMessageKind::unlockApproval;
    m.requestId = "req_1";
    m.encryptedContext = "a/b+c=";
    m.expiresAt = at("2024-05-01T10:00:00Z");
    m.deliveryDeadline = at("2024-05-01T10:00:01Z");
    m.approvedDurationSeconds = 900;
    m.approvedUntil = at("2024-05-01T10:15:00Z");
    m.approvalSignature = "sig";
    m.linkedTargetId = "t1";
    m.linkedRevision = -3;
    m.linkedSignature = "lsig";
    m.encryptedTargetPayload = "payload";
    m.targetSyncVersion = 9223372036854775807;
    m.pairingSessionId = "pair_1";
    m.pairingCode = "012345";
    m.macDeviceId = "mac-1";
    m.macDisplayName = "書斎のMac";
    m.macEncryptionPublicKeyBase64 = "menc";
    m.macSigningPublicKeyBase64 = "msig";
    m.iosDeviceId = "ios-1";
    m.iosEncryptionPublicKeyBase64 = "ienc";
    m.iosSigningPublicKeyBase64 = "isig";
    m.pairingAccepted = false;
    m.pairingError = "コードまたは有効期限を確認してください";
    m.trustSignature = "trust";
    const std::string text = encodeBLELocalPrototypeWireMessage(m);
    EXPECT_EQ(decodeBLELocalPrototypeWireMessage(text), m);
    EXPECT_EQ(keysOf(text).size(), 26u);
    EXPECT_EQ(keysOf(text).back(), "trustSignature");
    EXPECT_NE(text.find("\"encryptedContext\":\"a\\/b+c=\""), std::string::npos);
}

TEST(BLELocalPrototypeWireMessage, DecodingIsTolerantWhereThePeerIs) {
    // null reads as absent and is then left out; unknown keys are dropped; version 2 decodes.
    const auto message = decodeBLELocalPrototypeWireMessage(
        R"({"version":2,"kind":"targetSync","requestId":null,"extra":{"a":1},)"
        R"("approvedUntil":null,"pairingAccepted":true})");
    EXPECT_EQ(message.version, 2);
    EXPECT_EQ(message.kind, BLELocalPrototypeMessageKind::targetSync);
    EXPECT_FALSE(message.requestId);
    EXPECT_FALSE(message.approvedUntil);
    EXPECT_EQ(message.pairingAccepted, true);
    EXPECT_EQ(encodeBLELocalPrototypeWireMessage(message),
              "{\"version\":2,\"kind\":\"targetSync\",\"pairingAccepted\":true}");
}

TEST(BLELocalPrototypeWireMessage, RejectsWhatThePeerRejects) {
    using K = json::DecodeErrorKind;
    const std::pair<std::string, K> cases[] = {
        {R"({"kind":"unpair"})", K::keyNotFound},
        {R"({"version":1})", K::keyNotFound},
        {R"({"version":null,"kind":"unpair"})", K::valueNotFound},
        {R"({"version":"1","kind":"unpair"})", K::typeMismatch},
        {R"({"version":1.5,"kind":"unpair"})", K::dataCorrupted},
        {R"({"version":1,"kind":"Unpair"})", K::dataCorrupted},
        {R"({"version":1,"kind":"unpair","requestId":5})", K::typeMismatch},
        {R"({"version":1,"kind":"unpair","linkedRevision":"5"})", K::typeMismatch},
        {R"({"version":1,"kind":"unpair","pairingAccepted":1})", K::typeMismatch},
        {R"({"version":1,"kind":"unpair","expiresAt":"2024-05-01T10:00:00.5Z"})", K::dataCorrupted},
        {R"({"version":1,"kind":"unpair","expiresAt":0})", K::typeMismatch},
        {R"([1])", K::typeMismatch},
        {R"({"version":1,"kind":"unpair")", K::dataCorrupted},
    };
    for (const auto& [text, kind] : cases) {
        EXPECT_EQ(decodeErrorOf(text), kind) << text;
    }
}

TEST(BLELocalPrototypeWireMessage, AnAbsentFieldEqualsOnlyAnAbsentField) {
    BLELocalPrototypeWireMessage a;
    BLELocalPrototypeWireMessage b;
    b.pairingError = "";
    EXPECT_NE(a, b);
    b.pairingError.reset();
    EXPECT_EQ(a, b);
}

}  // namespace
}  // namespace quorvel
