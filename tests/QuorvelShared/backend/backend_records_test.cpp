// Decoding tables of the records the backend answers with, and their re-encoding.
#include <gtest/gtest.h>

#include <functional>

#include "QuorvelShared/backend/account_records.hpp"
#include "QuorvelShared/backend/pairing_session_records.hpp"
#include "QuorvelShared/backend/target_sync_records.hpp"
#include "QuorvelShared/backend/unlock_request_records.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel::backend {
namespace {

const Date at = *parseIsoDate("2024-05-01T10:00:00Z");

// Decodes `text` with `read`; no value when decoding fails.
template <class Read>
auto decode(const std::string& text, Read read) -> std::optional<json::ReadResult<Read>> {
    try {
        return read(json::parse(text), "");
    } catch (const json::DecodeError&) {
        return std::nullopt;
    }
}

template <class Record>
std::string compact(const Record& record) {
    return json::write(toJson(record), json::Style::compact);
}

TEST(BackendRecordsTest, SignInAndRegistration) {
    EXPECT_EQ(decode(R"({"user_id":"u","access_token":"a","refresh_token":"r","extra":1})",
                     appleAuthResponseFromJson),
              (AppleAuthResponse{"u", "a", "r"}));
    EXPECT_EQ(decode(R"({"user_id":"u","access_token":"a"})", appleAuthResponseFromJson),
              std::nullopt);
    EXPECT_EQ(decode(R"({"user_id":"u","access_token":"a","refresh_token":null})",
                     appleAuthResponseFromJson),
              std::nullopt);
    EXPECT_EQ(decode(R"({"device_id":"d"})", deviceRegistrationResponseFromJson),
              DeviceRegistrationResponse{"d"});
    EXPECT_EQ(decode(R"({"device_id":5})", deviceRegistrationResponseFromJson), std::nullopt);
    EXPECT_EQ(compact(AppleAuthResponse{"u", "a", "r"}),
              R"({"user_id":"u","access_token":"a","refresh_token":"r"})");
}

TEST(BackendRecordsTest, UnlockRequests) {
    const std::string required =
        R"("request_id":"r","mac_device_id":"m","status":"weird","encrypted_context":"e","expires_at":"2024-05-01T10:00:00Z")";
    UnlockRequestFetchResponse bare;
    bare.requestId = "r";
    bare.macDeviceId = "m";
    bare.status = "weird";
    bare.encryptedContext = "e";
    bare.expiresAt = at;
    UnlockRequestFetchResponse full = bare;
    full.approvedDurationSeconds = 600;
    full.approvedUntil = at;
    full.approvalSignature = "sig";
    full.linkedTargetId = "t";
    full.linkedRevision = 9007199254740993;
    full.linkedSignature = "ls";

    EXPECT_EQ(decode("{" + required + "}", unlockRequestFetchResponseFromJson), bare);
    EXPECT_EQ(
        decode(
            "{" + required +
                R"(,"approved_duration_seconds":null,"approved_until":null,"linked_revision":null})",
            unlockRequestFetchResponseFromJson),
        bare);
    const std::string fullText =
        "{" + required +
        R"(,"approved_duration_seconds":600,"approved_until":"2024-05-01T10:00:00Z",)"
        R"("approval_signature":"sig","linked_target_id":"t","linked_revision":9007199254740993,)"
        R"("linked_signature":"ls"})";
    EXPECT_EQ(decode(fullText, unlockRequestFetchResponseFromJson), full);
    EXPECT_EQ(compact(full), fullText);
    EXPECT_EQ(compact(bare), "{" + required + "}");

    const char* refused[] = {
        R"({"request_id":"r","mac_device_id":"m","status":"s","expires_at":"2024-05-01T10:00:00Z"})",
        R"({"request_id":"r","mac_device_id":"m","status":"s","encrypted_context":"e","expires_at":"2024-05-01T10:00:00.5Z"})",
        R"({"request_id":"r","mac_device_id":"m","status":"s","encrypted_context":"e","expires_at":"2024-05-01T10:00:00Z","approved_until":"2024-05-01T10:00:00.250Z"})",
        R"({"request_id":"r","mac_device_id":"m","status":"s","encrypted_context":"e","expires_at":"2024-05-01T10:00:00+09:00"})",
        R"({"request_id":"r","mac_device_id":"m","status":"s","encrypted_context":"e","expires_at":"2024-05-01T10:00:00Z","linked_revision":1.5})",
        R"({"request_id":"r","mac_device_id":"m","status":"s","encrypted_context":"e","expires_at":"2024-05-01T10:00:00Z","approved_duration_seconds":"600"})",
    };
    for (const char* text : refused) {
        SCOPED_TRACE(text);
        EXPECT_EQ(decode(text, unlockRequestFetchResponseFromJson), std::nullopt);
    }

    EXPECT_EQ(decode("{}", pendingUnlockRequestResponseFromJson), PendingUnlockRequestResponse{});
    EXPECT_EQ(decode(R"({"request":null})", pendingUnlockRequestResponseFromJson),
              PendingUnlockRequestResponse{});
    EXPECT_EQ(decode("{\"request\":{" + required + "}}", pendingUnlockRequestResponseFromJson),
              PendingUnlockRequestResponse{bare});
    EXPECT_EQ(decode(R"({"request":{"request_id":"r"}})", pendingUnlockRequestResponseFromJson),
              std::nullopt);
    EXPECT_EQ(compact(PendingUnlockRequestResponse{}), "{}");

    EXPECT_EQ(decode(R"({"request_id":"r","status":"pending","expires_at":"2024-05-01T10:00:00Z"})",
                     unlockRequestCreateResponseFromJson),
              (UnlockRequestCreateResponse{"r", "pending", at}));
    EXPECT_EQ(
        decode(R"({"request_id":"r","status":"pending"})", unlockRequestCreateResponseFromJson),
        std::nullopt);
}

TEST(BackendRecordsTest, PairingSessions) {
    const std::string keysText = R"({"public_signing_key":"S","public_encryption_key":"E"})";
    EXPECT_EQ(
        decode(
            R"({"pairing_session_id":"p","code":"123456","qr_url":"quorvel://pair?x","expires_at":"2024-05-01T10:00:00Z"})",
            pairingSessionCreateResponseFromJson),
        (PairingSessionCreateResponse{"p", "123456", "quorvel://pair?x", at}));
    EXPECT_EQ(decode(R"({"pairing_session_id":"p","code":"1","expires_at":"2024-05-01T10:00:00Z"})",
                     pairingSessionCreateResponseFromJson),
              std::nullopt);
    EXPECT_EQ(
        decode(
            R"({"pairing_session_id":"p","code":"1","qr_url":"q","expires_at":"2024-05-01T10:00:00.1Z"})",
            pairingSessionCreateResponseFromJson),
        std::nullopt);

    const PairingSessionStatusResponse bare{"p",          "某状態",     at,
                                            std::nullopt, std::nullopt, std::nullopt};
    const std::string bareText =
        R"({"pairing_session_id":"p","status":"某状態","expires_at":"2024-05-01T10:00:00Z"})";
    EXPECT_EQ(decode(bareText, pairingSessionStatusResponseFromJson), bare);
    EXPECT_EQ(compact(bare), bareText);
    const PairingSessionStatusResponse full{"p", "approved", at,
                                            "m", "i",        DevicePublicKeyBundle{"S", "E"}};
    EXPECT_EQ(
        decode(
            R"({"pairing_session_id":"p","status":"approved","expires_at":"2024-05-01T10:00:00Z","mac_device_id":"m","ios_device_id":"i","ios_public_keys":)" +
                keysText + "}",
            pairingSessionStatusResponseFromJson),
        full);

    EXPECT_EQ(
        decode(R"({"status":"approved","mac_device_id":"m","mac_public_keys":)" + keysText + "}",
               pairingApproveResponseFromJson),
        (PairingApproveResponse{"approved", "m", DevicePublicKeyBundle{"S", "E"}}));
    EXPECT_EQ(decode(R"({"status":"anything"})", pairingApproveResponseFromJson),
              (PairingApproveResponse{"anything", std::nullopt, std::nullopt}));
    EXPECT_EQ(decode(R"({"status":"approved","mac_public_keys":{"public_signing_key":"S"}})",
                     pairingApproveResponseFromJson),
              std::nullopt);
    EXPECT_EQ(decode(R"({"mac_device_id":"m"})", pairingApproveResponseFromJson), std::nullopt);
}

TEST(BackendRecordsTest, TargetSyncAndLinkedUnlocks) {
    EXPECT_EQ(decode("{}", targetSyncStateResponseFromJson), TargetSyncStateResponse{});
    EXPECT_EQ(decode(R"({"state":null})", targetSyncStateResponseFromJson),
              TargetSyncStateResponse{});
    const TargetSyncStateResponse withState{{{5, "sealed", at}}};
    const std::string stateText =
        R"({"state":{"version":5,"encrypted_payload":"sealed","updated_at":"2024-05-01T10:00:00Z"}})";
    EXPECT_EQ(decode(stateText, targetSyncStateResponseFromJson), withState);
    EXPECT_EQ(compact(withState), stateText);
    EXPECT_EQ(decode(R"({"state":{"version":5,"updated_at":"2024-05-01T10:00:00Z"}})",
                     targetSyncStateResponseFromJson),
              std::nullopt);
    EXPECT_EQ(decode(R"({"version":3,"updated_at":"2024-05-01T10:00:00Z"})",
                     targetSyncPutResponseFromJson),
              (TargetSyncPutResponse{3, at}));

    const std::string grant =
        R"({"ios_device_id":"i","target_id":"t","approved_until":"2024-05-01T10:00:00Z","signature":"s","revision":4})";
    EXPECT_EQ(decode(R"({"unlocks":[]})", linkedUnlockStateResponseFromJson),
              LinkedUnlockStateResponse{});
    EXPECT_EQ(
        decode(R"({"unlocks":[)" + grant + "," + grant + "]}", linkedUnlockStateResponseFromJson),
        (LinkedUnlockStateResponse{{{"i", "t", at, "s", 4}, {"i", "t", at, "s", 4}}}));
    EXPECT_EQ(decode("{}", linkedUnlockStateResponseFromJson), std::nullopt);
    EXPECT_EQ(decode(R"({"unlocks":null})", linkedUnlockStateResponseFromJson), std::nullopt);
    EXPECT_EQ(
        decode(
            R"({"unlocks":[)" + grant +
                R"(,{"ios_device_id":"i","target_id":"t","approved_until":"2024-05-01T10:00:00Z","revision":4}]})",
            linkedUnlockStateResponseFromJson),
        std::nullopt);
    EXPECT_EQ(compact(LinkedUnlockStateResponse{{{"i", "t", at, "s", 4}}}),
              R"({"unlocks":[)" + grant + "]}");
}

}  // namespace
}  // namespace quorvel::backend
