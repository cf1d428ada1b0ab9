// Round trips through libcurl to a real HTTPS server on 127.0.0.1, one per kind of answer: a
// record, an empty success, a failed status with an error body, a redirect (not followed), a body
// that does not decode, and the exchanges that produce no answer at all.
#include <gtest/gtest.h>

#include <cstdlib>

#include "QuorvelShared/backend/backend_api_client.hpp"
#include "QuorvelShared/backend/backend_api_error.hpp"
#include "QuorvelShared/backend/curl/curl_http_transport.hpp"
#include "QuorvelShared/support/json_errors.hpp"
#include "loopback_https_server.hpp"
#include "testkit/capture_error.hpp"

namespace quorvel::backend {
namespace {

using testing::LoopbackHttpsServer;
using testing::TestCertificateAuthority;

const DevicePublicKeyBundle keys{"U0lHTg==", "RU5D"};

class LoopbackHttpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Only loopback: no proxy from the environment may take the requests elsewhere.
        for (const char* name :
             {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
            unsetenv(name);
        }
    }

    TestCertificateAuthority authority;
    testing::ServerIdentity identity = authority.issueServer("IP:127.0.0.1");
    LoopbackHttpsServer server{identity};

    std::shared_ptr<CurlHttpTransport> trustingTransport() {
        return std::make_shared<CurlHttpTransport>(
            CurlHttpTransportOptions{.trustedCertificatesPem = authority.certificatePem()});
    }
    BackendAPIClient client(std::optional<std::string> token = "tok") {
        return BackendAPIClient({server.baseURL(), std::move(token)}, trustingTransport());
    }
};

TEST_F(LoopbackHttpsTest, ARecordComesBack) {
    server.answer([](const httplib::Request&, httplib::Response& response) {
        response.status = 201;
        response.set_content(R"({"device_id":"mac-1","extra":true})", "application/json");
    });
    auto backend = client();
    const auto registered =
        backend.registerDevice(DeviceType::mac, std::nullopt, "Mac", keys, std::nullopt);
    EXPECT_EQ(registered.deviceId, "mac-1");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "/v1/devices");
    EXPECT_EQ(requests[0].header("content-type"), "application/json");
    EXPECT_EQ(requests[0].header("authorization"), "Bearer tok");
    EXPECT_EQ(requests[0].body,
              R"({"device_type":"mac","device_name":"Mac","public_signing_key":"U0lHTg==",)"
              R"("public_encryption_key":"RU5D"})");
}

TEST_F(LoopbackHttpsTest, AnEmptySuccessNeedsNoBody) {
    server.answer(
        [](const httplib::Request&, httplib::Response& response) { response.status = 204; });
    auto backend = client(std::nullopt);
    EXPECT_NO_THROW(backend.deleteAccount());

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "DELETE");
    EXPECT_EQ(requests[0].target, "/v1/account");
    EXPECT_EQ(requests[0].header("content-type"), std::nullopt);
    EXPECT_EQ(requests[0].header("authorization"), std::nullopt);
    EXPECT_EQ(requests[0].body, "");
}

TEST_F(LoopbackHttpsTest, TheQueryArrivesAsOneItem) {
    server.answer([](const httplib::Request&, httplib::Response& response) {
        response.set_content(
            R"({"unlocks":[{"ios_device_id":"i","target_id":"t","approved_until":"2024-05-01T10:00:00Z","signature":"s","revision":2}]})",
            "application/json");
    });
    auto backend = client();
    const auto answer = backend.fetchLinkedUnlocks("mac 1&x=y");
    ASSERT_EQ(answer.unlocks.size(), 1u);
    EXPECT_EQ(answer.unlocks[0].revision, 2);

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, "/v1/linked-unlocks?mac_device_id=mac%201%26x%3Dy");
    ASSERT_EQ(requests[0].params.size(), 1u);
    EXPECT_EQ(requests[0].params.begin()->first, "mac_device_id");
    EXPECT_EQ(requests[0].params.begin()->second, "mac 1&x=y");
}

TEST_F(LoopbackHttpsTest, AFailedStatusCarriesTheServersText) {
    const std::string body = R"({"code":"pairing_not_found","message":"no such session"})";
    server.answer([&body](const httplib::Request&, httplib::Response& response) {
        response.status = 404;
        response.set_content(body, "application/json");
    });
    auto backend = client();
    const auto error = testkit::captureError<BackendAPIError>(
        [&] { return backend.approvePairingSession("pair_1", "123456", "ios-1"); });
    ASSERT_TRUE(error) << "no error";
    EXPECT_EQ(*error, BackendAPIError::httpStatus(404, body));
    EXPECT_EQ(error->description(),
              "ペアリングが期限切れか、コードまたはサインイン中のアカウントが一致しません。"
              "Mac側で作り直してQRコードを読み取り直してください。 (HTTP 404)");
    EXPECT_EQ(server.requests().at(0).target, "/v1/pairing/sessions/pair_1/approve");
}

TEST_F(LoopbackHttpsTest, ARedirectIsAFailedStatusAndIsNotFollowed) {
    server.answer([this](const httplib::Request& request, httplib::Response& response) {
        if (request.path == "/v1/target-sync/mac-1") {
            response.set_redirect(server.baseURL() + "/v1/elsewhere", 302);
        } else {
            response.set_content(R"({})", "application/json");
        }
    });
    auto backend = client();
    const auto error =
        testkit::captureError<BackendAPIError>([&] { return backend.fetchTargetSync("mac-1"); });
    ASSERT_TRUE(error) << "no error";
    EXPECT_EQ(error->code(), BackendAPIErrorCode::httpStatus);
    EXPECT_EQ(error->status(), 302);
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(LoopbackHttpsTest, ASuccessBodyThatIsNotTheRecordFailsDecoding) {
    server.answer([](const httplib::Request&, httplib::Response& response) {
        response.set_content("<html>maintenance</html>", "text/html");
    });
    auto backend = client();
    EXPECT_THROW(backend.fetchPairingSession("pair_1"), json::DecodeError);
}

// Exchanges that end without an answer, each with the transport's reason.
TEST_F(LoopbackHttpsTest, UntrustedOrMismatchedCertificatesAreRefused) {
    TestCertificateAuthority stranger("Someone Else");
    LoopbackHttpsServer localhostOnly(authority.issueServer("DNS:localhost"));
    struct Case {
        const char* what;
        std::optional<std::string> trusted;
        std::string baseURL;
    };
    const Case cases[] = {
        {"another CA", stranger.certificatePem(), server.baseURL()},
        {"the system's store alone", std::nullopt, server.baseURL()},
        {"a certificate for another name", authority.certificatePem(), localhostOnly.baseURL()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BackendAPIClient backend(
            {c.baseURL, "tok"}, std::make_shared<CurlHttpTransport>(
                                    CurlHttpTransportOptions{.trustedCertificatesPem = c.trusted}));
        const auto error =
            testkit::captureError<HttpTransportError>([&] { backend.deleteAccount(); });
        ASSERT_TRUE(error) << "no error";
        EXPECT_EQ(error->code(), HttpTransportErrorCode::secureConnectionFailed) << error->what();
    }
    EXPECT_TRUE(server.requests().empty());
    EXPECT_TRUE(localhostOnly.requests().empty());
}

TEST_F(LoopbackHttpsTest, AnExchangeEndsAtItsTimeLimit) {
    server.holdAnswers();
    HttpRequest request;
    request.method = "GET";
    request.url = server.baseURL() + "/v1/account";
    request.timeoutSeconds = 1;
    const auto error = testkit::captureError<HttpTransportError>(
        [&] { return trustingTransport()->send(request); });
    ASSERT_TRUE(error) << "no error";
    EXPECT_EQ(error->code(), HttpTransportErrorCode::timedOut) << error->what();
    server.release();
}

TEST_F(LoopbackHttpsTest, PlainHttpAndClosedPortsGiveNoAnswer) {
    auto closed = std::make_unique<LoopbackHttpsServer>(identity);
    const std::string closedURL = closed->baseURL();
    closed.reset();

    struct Case {
        const char* what;
        std::string baseURL;
        HttpTransportErrorCode code;
    };
    const Case cases[] = {
        {"plain http", "http://127.0.0.1:" + std::to_string(server.port()),
         HttpTransportErrorCode::unsupportedURL},
        {"nothing listening", closedURL, HttpTransportErrorCode::cannotConnect},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BackendAPIClient backend({c.baseURL, "tok"}, trustingTransport());
        const auto error =
            testkit::captureError<HttpTransportError>([&] { backend.deleteAccount(); });
        ASSERT_TRUE(error) << "no error";
        EXPECT_EQ(error->code(), c.code) << error->what();
    }
    EXPECT_TRUE(server.requests().empty());
}

}  // namespace
}  // namespace quorvel::backend
