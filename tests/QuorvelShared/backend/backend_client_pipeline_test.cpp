// What every request has in common: headers, bodies, the status rule, and the failures that stop
// a request before or after the exchange.
#include <gtest/gtest.h>

#include <thread>

#include "QuorvelShared/backend/backend_api_client.hpp"
#include "QuorvelShared/backend/backend_api_error.hpp"
#include "QuorvelShared/support/json_errors.hpp"
#include "fake_transport.hpp"
#include "testkit/capture_error.hpp"

namespace quorvel::backend {
namespace {

using testing::FakeBackend;

const DevicePublicKeyBundle keys{"U0lHTg==", "RU5D"};

// One call of each shape: a POST with a body and a record answer, a DELETE without either.
void registerMac(BackendAPIClient& client) {
    client.registerDevice(DeviceType::mac, std::nullopt, std::nullopt, keys, std::nullopt);
}

TEST(BackendClientPipelineTest, TheTokenDecidesTheAuthorizationHeader) {
    struct Case {
        const char* what;
        std::optional<std::string> token;
        std::optional<std::string> header;
    };
    const Case cases[] = {
        {"no token", std::nullopt, std::nullopt},
        {"a token", "abc", "Bearer abc"},
        {"an empty token still sends the scheme", "", "Bearer "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeBackend backend(c.token);
        backend.transport->respond(200, R"({"device_id":"d"})");
        registerMac(backend.client);
        EXPECT_EQ(backend.transport->last().header("authorization"), c.header);
        backend.client.deleteAccount();
        EXPECT_EQ(backend.transport->last().header("authorization"), c.header);
    }
}

TEST(BackendClientPipelineTest, UpdatedTokenAppliesToLaterRequests) {
    FakeBackend backend(std::nullopt);
    backend.transport->respond(204);
    backend.client.updateAccessToken("fresh");
    backend.client.deleteAccount();
    EXPECT_EQ(backend.transport->last().header("authorization"), "Bearer fresh");
    backend.client.updateAccessToken(std::nullopt);
    backend.client.deleteAccount();
    EXPECT_EQ(backend.transport->last().header("authorization"), std::nullopt);
    EXPECT_EQ(backend.transport->last().headers.size(), 0u);
}

TEST(BackendClientPipelineTest, OnlyRequestsWithABodyCarryTheContentType) {
    FakeBackend backend;
    backend.transport->respond(200, R"({"device_id":"d"})");
    registerMac(backend.client);
    HttpRequest post = backend.transport->last();
    EXPECT_EQ(post.method, "POST");
    EXPECT_EQ(post.header("content-type"), "application/json");
    ASSERT_TRUE(post.body);
    EXPECT_EQ(post.timeoutSeconds, 60);

    backend.client.deleteAccount();
    HttpRequest del = backend.transport->last();
    EXPECT_EQ(del.method, "DELETE");
    EXPECT_EQ(del.url, "https://backend.example/v1/account");
    EXPECT_EQ(del.header("content-type"), std::nullopt);
    EXPECT_EQ(del.body, std::nullopt);
    EXPECT_EQ(del.timeoutSeconds, 60);
}

TEST(BackendClientPipelineTest, SuccessIsAnyStatusFrom200To299) {
    struct Case {
        int status;
        bool success;
    };
    const Case cases[] = {{199, false}, {200, true},  {201, true},  {204, true},
                          {299, true},  {300, false}, {302, false}, {404, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        FakeBackend backend;
        backend.transport->respond(c.status, "");
        if (c.success) {
            EXPECT_NO_THROW(backend.client.deleteAccount());
        } else {
            EXPECT_EQ(
                testkit::captureError<BackendAPIError>([&] { backend.client.deleteAccount(); }),
                BackendAPIError::httpStatus(c.status, ""));
        }
    }
}

TEST(BackendClientPipelineTest, AnEmptySuccessBodyIsEnoughOnlyWhereNothingIsRead) {
    FakeBackend backend;
    backend.transport->respond(200, "");
    EXPECT_NO_THROW(backend.client.deleteAccount());
    EXPECT_NO_THROW(backend.client.cancelUnlockRequest("req_1", "ios"));
    EXPECT_THROW(registerMac(backend.client), json::DecodeError);
    // Whatever an ignored body holds does not matter.
    backend.transport->respond(200, "not json at all");
    EXPECT_NO_THROW(backend.client.createLinkedUnlock("m", "i", "t", Date{}, "s", 1));
}

TEST(BackendClientPipelineTest, FailedStatusCarriesTheWholeBody) {
    FakeBackend backend;
    backend.transport->respond(409, R"({"code":"x","message":"同じ端末です"})");
    const auto error =
        testkit::captureError<BackendAPIError>([&] { return registerMac(backend.client); });
    ASSERT_TRUE(error) << "no error";
    EXPECT_EQ(error->status(), 409);
    EXPECT_EQ(error->body(), R"({"code":"x","message":"同じ端末です"})");
    EXPECT_EQ(error->description(), "同じ端末です (HTTP 409)");
}

TEST(BackendClientPipelineTest, AnAnswerWithoutAnHttpStatusIsInvalid) {
    for (int status : {0, 99, 600, -1}) {
        SCOPED_TRACE(status);
        FakeBackend backend;
        backend.transport->respond(status, R"({"device_id":"d"})");
        EXPECT_EQ(
            testkit::captureError<BackendAPIError>([&] { return registerMac(backend.client); }),
            BackendAPIError::invalidResponse());
    }
}

TEST(BackendClientPipelineTest, TransportFailuresPassUnchanged) {
    FakeBackend backend;
    backend.transport->respondWith([](const HttpRequest&) -> HttpResponse {
        throw HttpTransportError(HttpTransportErrorCode::timedOut, "took too long");
    });
    const auto error =
        testkit::captureError<HttpTransportError>([&] { backend.client.deleteAccount(); });
    ASSERT_TRUE(error) << "no error";
    EXPECT_EQ(error->code(), HttpTransportErrorCode::timedOut);
    EXPECT_STREQ(error->what(), "took too long");
}

TEST(BackendClientPipelineTest, NothingIsSentWhenNoAddressOrBodyCanBeFormed) {
    FakeBackend noBase("t", "not a url");
    EXPECT_THROW(noBase.client.deleteAccount(), BackendAPIError);
    EXPECT_THROW(registerMac(noBase.client), BackendAPIError);
    EXPECT_THROW(noBase.client.fetchLinkedUnlocks("mac"), BackendAPIError);
    EXPECT_TRUE(noBase.transport->requests().empty());

    FakeBackend backend;
    // Text that is not UTF-8 has no JSON form.
    EXPECT_THROW(backend.client.authenticateWithApple("\xFF", "code"), json::EncodeError);
    // Nor has a date outside the years 0000...9999.
    EXPECT_THROW(backend.client.createLinkedUnlock("m", "i", "t", Date{1e15}, "s", 1),
                 json::EncodeError);
    EXPECT_TRUE(backend.transport->requests().empty());
}

TEST(BackendClientPipelineTest, BodiesAreCompactInFieldOrderWithEscapedSlashes) {
    FakeBackend backend;
    backend.transport->respond(200, R"({"device_id":"d"})");
    backend.client.registerDevice(DeviceType::ios, "dev/1", "名前", keys, "apns");
    EXPECT_EQ(backend.transport->last().body,
              R"({"device_id":"dev\/1","device_type":"ios","device_name":"名前",)"
              R"("public_signing_key":"U0lHTg==","public_encryption_key":"RU5D",)"
              R"("apns_token":"apns"})");
}

TEST(BackendClientPipelineTest, RequestsOfOneClientMayRunAtOnce) {
    FakeBackend backend;
    backend.transport->respond(204);
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&backend, i] {
            for (int n = 0; n < 25; ++n) {
                backend.client.updateAccessToken("t" + std::to_string(i));
                backend.client.deleteAccount();
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    const auto requests = backend.transport->requests();
    EXPECT_EQ(requests.size(), 100u);
    for (const auto& request : requests) {
        EXPECT_TRUE(request.header("authorization").value_or("").starts_with("Bearer t"));
    }
}

}  // namespace
}  // namespace quorvel::backend
