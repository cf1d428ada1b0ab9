#include "QuorvelShared/backend/backend_api_error.hpp"

#include <utility>

#include "QuorvelShared/support/json_reader.hpp"

namespace quorvel::backend {
namespace {

constexpr const char* invalidResponseText = "サーバーの応答を読み取れませんでした。";
constexpr const char* pairingNotFoundText =
    "ペアリングが期限切れか、コードまたはサインイン中のアカウントが一致しません。"
    "Mac側で作り直してQRコードを読み取り直してください。";
constexpr const char* serverErrorText = "サーバーエラーが発生しました。";

struct ErrorPayload {
    std::optional<std::string> code;
    std::optional<std::string> message;
};

// No value when the body is not an object whose two members (where present) are strings.
std::optional<ErrorPayload> decodePayload(const std::string& body) {
    try {
        const Json value = json::parse(body);
        const json::ObjectReader reader(value, "");
        return ErrorPayload{reader.optionalString("code"), reader.optionalString("message")};
    } catch (const json::DecodeError&) {
        return std::nullopt;
    }
}

}  // namespace

std::string backendHttpStatusText(int status, const std::string& body) {
    const std::string suffix = " (HTTP " + std::to_string(status) + ")";
    const auto payload = decodePayload(body);
    if (payload && payload->code == "pairing_not_found") {
        return pairingNotFoundText + suffix;
    }
    if (payload && payload->message && !payload->message->empty()) {
        return *payload->message + suffix;
    }
    return serverErrorText + suffix;
}

BackendAPIError::BackendAPIError(BackendAPIErrorCode code, int status, std::string body)
    : Error(code, code == BackendAPIErrorCode::httpStatus ? backendHttpStatusText(status, body)
                                                          : invalidResponseText),
      status_(status),
      body_(std::move(body)) {}

BackendAPIError BackendAPIError::httpStatus(int status, std::string body) {
    return BackendAPIError(BackendAPIErrorCode::httpStatus, status, std::move(body));
}

BackendAPIError BackendAPIError::invalidResponse() {
    return BackendAPIError(BackendAPIErrorCode::invalidResponse, 0, {});
}

}  // namespace quorvel::backend
