#pragma once

// A transport that remembers every request and answers with what the test set, so that the
// client's requests can be checked byte for byte without a network.
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "QuorvelShared/backend/backend_api_client.hpp"
#include "QuorvelShared/backend/http_transport.hpp"

namespace quorvel::backend::testing {

class FakeTransport final : public HttpTransport {
public:
    HttpResponse send(const HttpRequest& request) override {
        const std::lock_guard lock(mutex_);
        requests_.push_back(request);
        if (answer_) {
            return answer_(request);
        }
        return response_;
    }

    void respond(int status, std::string body = {}) {
        const std::lock_guard lock(mutex_);
        response_ = HttpResponse{status, std::move(body)};
        answer_ = nullptr;
    }
    void respondWith(std::function<HttpResponse(const HttpRequest&)> answer) {
        const std::lock_guard lock(mutex_);
        answer_ = std::move(answer);
    }

    std::vector<HttpRequest> requests() const {
        const std::lock_guard lock(mutex_);
        return requests_;
    }
    HttpRequest last() const {
        const std::lock_guard lock(mutex_);
        return requests_.back();
    }

private:
    mutable std::mutex mutex_;
    std::vector<HttpRequest> requests_;
    HttpResponse response_{200, "{}"};
    std::function<HttpResponse(const HttpRequest&)> answer_;
};

inline constexpr const char* testBaseURL = "https://backend.example";

// A client over a fresh fake transport, with a token unless told otherwise.
struct FakeBackend {
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    BackendAPIClient client;

    explicit FakeBackend(std::optional<std::string> token = "token-1",
                         std::string baseURL = testBaseURL)
        : client(BackendConfiguration{std::move(baseURL), std::move(token)}, transport) {}
};

}  // namespace quorvel::backend::testing
