#include "QuorvelShared/backend/backend_api_error.hpp"

#include <gtest/gtest.h>

namespace quorvel::backend {
namespace {

const std::string pairingText =
    "ペアリングが期限切れか、コードまたはサインイン中のアカウントが一致しません。"
    "Mac側で作り直してQRコードを読み取り直してください。";

TEST(BackendAPIErrorTest, StatusTextsComeFromTheErrorBody) {
    struct Case {
        const char* what;
        int status;
        std::string body;
        std::string text;
    };
    const Case cases[] = {
        {"pairing code wins over the message", 404,
         R"({"code":"pairing_not_found","message":"gone"})", pairingText + " (HTTP 404)"},
        {"pairing code without message", 410, R"({"code":"pairing_not_found"})",
         pairingText + " (HTTP 410)"},
        {"pairing code is case-sensitive", 404, R"({"code":"Pairing_Not_Found","message":"x"})",
         "x (HTTP 404)"},
        {"other code, message shown", 409, R"({"code":"conflict","message":"x"})", "x (HTTP 409)"},
        {"message without code", 400, R"({"message":"不正な要求"})", "不正な要求 (HTTP 400)"},
        {"empty message", 500, R"({"message":""})", "サーバーエラーが発生しました。 (HTTP 500)"},
        {"null message", 500, R"({"message":null})", "サーバーエラーが発生しました。 (HTTP 500)"},
        {"not JSON", 500, "<html>oops</html>", "サーバーエラーが発生しました。 (HTTP 500)"},
        {"empty body", 500, "", "サーバーエラーが発生しました。 (HTTP 500)"},
        {"an array", 502, R"(["message"])", "サーバーエラーが発生しました。 (HTTP 502)"},
        {"a code of another type fails the payload", 418, R"({"code":7,"message":"teapot"})",
         "サーバーエラーが発生しました。 (HTTP 418)"},
        {"a message of another type", 503, R"({"message":5})",
         "サーバーエラーが発生しました。 (HTTP 503)"},
        {"redirect", 302, "", "サーバーエラーが発生しました。 (HTTP 302)"},
        {"large status without grouping", 1000, "", "サーバーエラーが発生しました。 (HTTP 1000)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto error = BackendAPIError::httpStatus(c.status, c.body);
        EXPECT_EQ(error.code(), BackendAPIErrorCode::httpStatus);
        EXPECT_EQ(error.errorDescription(), c.text);
        EXPECT_EQ(error.description(), c.text);
        EXPECT_EQ(std::string(error.what()), c.text);
        EXPECT_EQ(error.status(), c.status);
        EXPECT_EQ(error.body(), c.body);
    }
}

TEST(BackendAPIErrorTest, InvalidResponseHasItsOwnText) {
    const auto error = BackendAPIError::invalidResponse();
    EXPECT_EQ(error.code(), BackendAPIErrorCode::invalidResponse);
    EXPECT_EQ(error.errorDescription(), "サーバーの応答を読み取れませんでした。");
    EXPECT_EQ(error.description(), "サーバーの応答を読み取れませんでした。");
}

TEST(BackendAPIErrorTest, EqualityComparesCaseStatusAndBodyBytes) {
    EXPECT_EQ(BackendAPIError::httpStatus(500, "a"), BackendAPIError::httpStatus(500, "a"));
    EXPECT_FALSE(BackendAPIError::httpStatus(500, "a") == BackendAPIError::httpStatus(500, "b"));
    EXPECT_FALSE(BackendAPIError::httpStatus(500, "a") == BackendAPIError::httpStatus(501, "a"));
    EXPECT_FALSE(BackendAPIError::httpStatus(0, "") == BackendAPIError::invalidResponse());
    EXPECT_EQ(BackendAPIError::invalidResponse(), BackendAPIError::invalidResponse());
}

}  // namespace
}  // namespace quorvel::backend
