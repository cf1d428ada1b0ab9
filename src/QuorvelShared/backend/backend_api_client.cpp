#include "QuorvelShared/backend/backend_api_client.hpp"

#include <utility>

#include "QuorvelShared/backend/backend_address.hpp"
#include "QuorvelShared/backend/backend_api_error.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel::backend {
namespace {

constexpr int requestTimeoutSeconds = 60;

bool isHttpStatus(int status) {
    return status >= 100 && status <= 599;
}

}  // namespace

BackendAPIClient::BackendAPIClient(BackendConfiguration configuration,
                                   std::shared_ptr<HttpTransport> transport)
    : configuration_(std::move(configuration)), transport_(std::move(transport)) {}

void BackendAPIClient::updateAccessToken(std::optional<std::string> accessToken) {
    const std::lock_guard lock(mutex_);
    configuration_.accessToken = std::move(accessToken);
}

std::string BackendAPIClient::address(std::string_view path) const {
    std::string base;
    {
        const std::lock_guard lock(mutex_);
        base = configuration_.baseURL;
    }
    auto url = address::appendingPath(base, path);
    if (!url) {
        throw BackendAPIError::invalidResponse();
    }
    return *std::move(url);
}

std::string BackendAPIClient::pathWith(std::string_view prefix, std::string_view identifier,
                                       std::string_view suffix) {
    const auto segment = address::pathSegment(identifier);
    if (!segment) {
        throw BackendAPIError::invalidResponse();
    }
    return std::string(prefix).append(*segment).append(suffix);
}

std::string BackendAPIClient::send(std::string_view path, std::string_view method,
                                   const Json& body) {
    HttpRequest request;
    request.method = method;
    request.url = address(path);
    request.headers.emplace_back("content-type", "application/json");
    request.body = json::write(body, json::Style::compact);
    return exchange(std::move(request));
}

std::string BackendAPIClient::send(const std::string& url, std::string_view method) {
    HttpRequest request;
    request.method = method;
    request.url = url;
    return exchange(std::move(request));
}

std::string BackendAPIClient::exchange(HttpRequest request) const {
    request.timeoutSeconds = requestTimeoutSeconds;
    {
        const std::lock_guard lock(mutex_);
        if (configuration_.accessToken) {
            request.headers.emplace_back("authorization", "Bearer " + *configuration_.accessToken);
        }
    }
    HttpResponse response = transport_->send(request);
    if (!isHttpStatus(response.status)) {
        throw BackendAPIError::invalidResponse();
    }
    if (response.status < 200 || response.status > 299) {
        throw BackendAPIError::httpStatus(response.status, std::move(response.body));
    }
    return std::move(response.body);
}

}  // namespace quorvel::backend
