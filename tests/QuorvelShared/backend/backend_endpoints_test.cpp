// Every endpoint's method, address and exact body, and the identifiers that never reach the
// network.
#include <gtest/gtest.h>

#include <functional>

#include "QuorvelShared/backend/backend_api_error.hpp"
#include "QuorvelShared/support/date.hpp"
#include "fake_transport.hpp"
#include "testkit/capture_error.hpp"

namespace quorvel::backend {
namespace {

using testing::FakeBackend;

const Date until = *parseIsoDate("2024-05-01T10:00:00Z");
const DevicePublicKeyBundle keys{"U0lHTg==", "RU5D"};

struct EndpointCase {
    const char* what;
    std::function<void(BackendAPIClient&)> call;
    std::string answer;  // a success body the endpoint accepts
    std::string method;
    std::string url;
    std::optional<std::string> body;
};

const std::string unlockFetched =
    R"({"request_id":"r","mac_device_id":"m","status":"s","encrypted_context":"e",)"
    R"("expires_at":"2024-05-01T10:00:00Z"})";

std::vector<EndpointCase> endpointCases() {
    const std::string base = testing::testBaseURL;
    return {
        {"sign in", [](auto& c) { c.authenticateWithApple("idt", "code"); },
         R"({"user_id":"u","access_token":"a","refresh_token":"r"})", "POST",
         base + "/v1/auth/apple",
         R"({"identity_token":"idt","authorization_code":"code","client":"ios"})"},
        {"register a mac without optionals",
         [](auto& c) {
             c.registerDevice(DeviceType::mac, std::nullopt, std::nullopt, keys, std::nullopt);
         },
         R"({"device_id":"d"})", "POST", base + "/v1/devices",
         R"({"device_type":"mac","public_signing_key":"U0lHTg==","public_encryption_key":"RU5D"})"},
        {"register an iphone with every field",
         [](auto& c) { c.registerDevice(DeviceType::ios, "dev", "Phone", keys, "push"); },
         R"({"device_id":"d"})", "POST", base + "/v1/devices",
         R"({"device_id":"dev","device_type":"ios","device_name":"Phone",)"
         R"("public_signing_key":"U0lHTg==","public_encryption_key":"RU5D","apns_token":"push"})"},
        {"delete the account", [](auto& c) { c.deleteAccount(); }, "", "DELETE",
         base + "/v1/account", std::nullopt},
        {"create an unlock request without id",
         [](auto& c) { c.createUnlockRequest(std::nullopt, "m", "i", "ctx"); },
         R"({"request_id":"r","status":"pending","expires_at":"2024-05-01T10:00:00Z"})", "POST",
         base + "/v1/unlock-requests",
         R"({"mac_device_id":"m","ios_device_id":"i","encrypted_context":"ctx"})"},
        {"create an unlock request with id",
         [](auto& c) { c.createUnlockRequest("req_1", "m", "i", "ctx"); },
         R"({"request_id":"r","status":"pending","expires_at":"2024-05-01T10:00:00Z"})", "POST",
         base + "/v1/unlock-requests",
         R"({"request_id":"req_1","mac_device_id":"m","ios_device_id":"i","encrypted_context":"ctx"})"},
        {"fetch an unlock request", [](auto& c) { c.fetchUnlockRequest("req_A-1"); }, unlockFetched,
         "GET", base + "/v1/unlock-requests/req_A-1", std::nullopt},
        {"fetch the pending request", [](auto& c) { c.fetchPendingUnlockRequest("my phone"); },
         "{}", "GET", base + "/v1/unlock-requests/pending?ios_device_id=my%20phone", std::nullopt},
        {"approve without linked fields",
         [](auto& c) { c.approveUnlockRequest("req_1", "i", 600, until, "sig"); }, "", "POST",
         base + "/v1/unlock-requests/req_1/approve",
         R"({"ios_device_id":"i","approved_duration_seconds":600,)"
         R"("approved_until":"2024-05-01T10:00:00Z","signature":"sig"})"},
        {"approve with linked fields",
         [](auto& c) {
             c.approveUnlockRequest("req_1", "i", 600, until, "sig",
                                    {"target", 9007199254740993, "lsig"});
         },
         "", "POST", base + "/v1/unlock-requests/req_1/approve",
         R"({"ios_device_id":"i","approved_duration_seconds":600,)"
         R"("approved_until":"2024-05-01T10:00:00Z","signature":"sig","linked_target_id":"target",)"
         R"("linked_revision":9007199254740993,"linked_signature":"lsig"})"},
        {"approve with only a revision",
         [](auto& c) {
             c.approveUnlockRequest("r", "i", 1, until, "s", {std::nullopt, 3, {}});
         },
         "", "POST", base + "/v1/unlock-requests/r/approve",
         R"({"ios_device_id":"i","approved_duration_seconds":1,)"
         R"("approved_until":"2024-05-01T10:00:00Z","signature":"s","linked_revision":3})"},
        {"cancel", [](auto& c) { c.cancelUnlockRequest("req_1", "i"); }, "", "POST",
         base + "/v1/unlock-requests/req_1/cancel", R"({"ios_device_id":"i"})"},
        {"create a pairing session", [](auto& c) { c.createPairingSession("mac-1"); },
         R"({"pairing_session_id":"p","code":"123456","qr_url":"q","expires_at":"2024-05-01T10:00:00Z"})",
         "POST", base + "/v1/pairing/sessions", R"({"mac_device_id":"mac-1"})"},
        {"fetch a pairing session", [](auto& c) { c.fetchPairingSession("pair_1"); },
         R"({"pairing_session_id":"p","status":"pending","expires_at":"2024-05-01T10:00:00Z"})",
         "GET", base + "/v1/pairing/sessions/pair_1", std::nullopt},
        {"approve a pairing session",
         [](auto& c) { c.approvePairingSession("pair_1", "123456", "ios-1"); },
         R"({"status":"approved"})", "POST", base + "/v1/pairing/sessions/pair_1/approve",
         R"({"code":"123456","ios_device_id":"ios-1"})"},
        {"put the target list", [](auto& c) { c.putTargetSync("mac-1", "ios-1", 7, "sealed"); },
         R"({"version":7,"updated_at":"2024-05-01T10:00:00Z"})", "PUT",
         base + "/v1/target-sync/mac-1",
         R"({"version":7,"encrypted_payload":"sealed","ios_device_id":"ios-1"})"},
        {"fetch the target list", [](auto& c) { c.fetchTargetSync("mac-1"); }, "{}", "GET",
         base + "/v1/target-sync/mac-1", std::nullopt},
        {"create a linked unlock",
         [](auto& c) { c.createLinkedUnlock("m", "i", "t", until, "sig", -2); }, "", "POST",
         base + "/v1/linked-unlocks",
         R"({"mac_device_id":"m","ios_device_id":"i","target_id":"t",)"
         R"("approved_until":"2024-05-01T10:00:00Z","signature":"sig","revision":-2})"},
        {"fetch linked unlocks", [](auto& c) { c.fetchLinkedUnlocks("mac 1&x=y"); },
         R"({"unlocks":[]})", "GET", base + "/v1/linked-unlocks?mac_device_id=mac%201%26x%3Dy",
         std::nullopt},
    };
}

TEST(BackendEndpointsTest, EachEndpointSendsItsMethodAddressAndBody) {
    for (const EndpointCase& c : endpointCases()) {
        SCOPED_TRACE(c.what);
        FakeBackend backend;
        backend.transport->respond(200, c.answer);
        ASSERT_NO_THROW(c.call(backend.client));
        ASSERT_EQ(backend.transport->requests().size(), 1u);
        const HttpRequest request = backend.transport->last();
        EXPECT_EQ(request.method, c.method);
        EXPECT_EQ(request.url, c.url);
        EXPECT_EQ(request.body, c.body);
        EXPECT_EQ(request.header("content-type"),
                  c.body ? std::optional<std::string>("application/json") : std::nullopt);
        EXPECT_EQ(request.header("authorization"), "Bearer token-1");
    }
}

TEST(BackendEndpointsTest, EachEndpointFailsWithTheStatusItGot) {
    for (const EndpointCase& c : endpointCases()) {
        SCOPED_TRACE(c.what);
        FakeBackend backend;
        backend.transport->respond(404, R"({"code":"pairing_not_found"})");
        EXPECT_EQ(testkit::captureError<BackendAPIError>([&] { c.call(backend.client); }),
                  BackendAPIError::httpStatus(404, R"({"code":"pairing_not_found"})"));
    }
}

TEST(BackendEndpointsTest, IdentifiersAreOneEscapedPathSegment) {
    FakeBackend backend;
    backend.transport->respond(200, unlockFetched);
    backend.client.fetchUnlockRequest("../pending?ios_device_id=x");
    EXPECT_EQ(backend.transport->last().url,
              "https://backend.example/v1/unlock-requests/..%2Fpending%3Fios_device_id%3Dx");
    backend.transport->respond(200, "{}");
    backend.client.fetchTargetSync("a/b");
    EXPECT_EQ(backend.transport->last().url, "https://backend.example/v1/target-sync/a%2Fb");
}

TEST(BackendEndpointsTest, IdentifiersThatNameNoResourceAreRefusedBeforeSending) {
    for (const std::string id : {"", ".", ".."}) {
        SCOPED_TRACE(id);
        const std::vector<std::function<void(BackendAPIClient&)>> calls = {
            [&](auto& c) { c.fetchUnlockRequest(id); },
            [&](auto& c) { c.approveUnlockRequest(id, "i", 1, until, "s"); },
            [&](auto& c) { c.cancelUnlockRequest(id, "i"); },
            [&](auto& c) { c.fetchPairingSession(id); },
            [&](auto& c) { c.approvePairingSession(id, "1", "i"); },
            [&](auto& c) { c.putTargetSync(id, "i", 1, "p"); },
            [&](auto& c) { c.fetchTargetSync(id); },
        };
        FakeBackend backend;
        for (const auto& call : calls) {
            EXPECT_EQ(testkit::captureError<BackendAPIError>([&] { call(backend.client); }),
                      BackendAPIError::invalidResponse());
        }
        EXPECT_TRUE(backend.transport->requests().empty());
    }
}

TEST(BackendEndpointsTest, TheBasePathStaysInFront) {
    FakeBackend backend("t", "https://backend.example/api/");
    backend.transport->respond(200, "{}");
    backend.client.fetchPendingUnlockRequest("i");
    EXPECT_EQ(backend.transport->last().url,
              "https://backend.example/api/v1/unlock-requests/pending?ios_device_id=i");
    backend.client.fetchTargetSync("m");
    EXPECT_EQ(backend.transport->last().url, "https://backend.example/api/v1/target-sync/m");
}

TEST(BackendEndpointsTest, TheClientIsBothFetchingInterfaces) {
    FakeBackend backend;
    backend.transport->respond(200, R"({"state":null,"unlocks":[]})");
    TargetSyncStateFetching& targets = backend.client;
    LinkedUnlockStateFetching& unlocks = backend.client;
    EXPECT_EQ(targets.fetchTargetSync("m"), TargetSyncStateResponse{});
    EXPECT_EQ(unlocks.fetchLinkedUnlocks("m"), LinkedUnlockStateResponse{});
    EXPECT_EQ(backend.transport->requests().size(), 2u);
}

}  // namespace
}  // namespace quorvel::backend
