#pragma once

// An HTTPS server on 127.0.0.1 (cpp-httplib over OpenSSL) with a certificate from the test CA. It
// remembers every request that reached it and answers as the test says; answers can be held back
// until the test releases them, to let a client's time-out pass.
#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "test_certificate_authority.hpp"
#include "testkit/poll.hpp"

namespace quorvel::backend::testing {

struct ReceivedRequest {
    std::string method;
    std::string target;  // path and query as sent
    std::string body;
    httplib::Headers headers;
    httplib::Params params;

    std::optional<std::string> header(const std::string& name) const {
        const auto found = headers.find(name);
        return found == headers.end() ? std::nullopt : std::optional(found->second);
    }
};

class LoopbackHttpsServer {
public:
    using Answer = std::function<void(const httplib::Request&, httplib::Response&)>;

    explicit LoopbackHttpsServer(const ServerIdentity& identity)
        : server_(identity.certificate.get(), identity.key.get()) {
        const auto handle = [this](const httplib::Request& request, httplib::Response& response) {
            serve(request, response);
        };
        server_.Get(".*", handle);
        server_.Post(".*", handle);
        server_.Put(".*", handle);
        server_.Delete(".*", handle);
        // The socket listens from here on; connections wait in its backlog until the loop runs.
        port_ = server_.bind_to_any_port("127.0.0.1");
        if (port_ <= 0) {
            throw std::runtime_error("cannot listen on 127.0.0.1");
        }
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // stop() only ends a running loop: wait for it, so that a server ended at once ends.
        testkit::pollUntil([this] { return server_.is_running(); }, std::chrono::seconds(30));
    }

    ~LoopbackHttpsServer() {
        release();
        server_.stop();
        thread_.join();
    }

    std::string baseURL() const { return "https://127.0.0.1:" + std::to_string(port_); }
    int port() const { return port_; }

    void answer(Answer answer) {
        const std::lock_guard lock(mutex_);
        answer_ = std::move(answer);
    }
    // Answers wait until release() (or the server's end).
    void holdAnswers() {
        const std::lock_guard lock(mutex_);
        held_ = true;
    }
    void release() {
        {
            const std::lock_guard lock(mutex_);
            held_ = false;
        }
        changed_.notify_all();
    }

    std::vector<ReceivedRequest> requests() const {
        const std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    void serve(const httplib::Request& request, httplib::Response& response) {
        std::unique_lock lock(mutex_);
        requests_.push_back(
            {request.method, request.target, request.body, request.headers, request.params});
        // Bounded, so that a test that forgets to release cannot hang the run.
        changed_.wait_for(lock, std::chrono::seconds(60), [this] { return !held_; });
        const Answer answer = answer_;
        lock.unlock();
        if (answer) {
            answer(request, response);
        } else {
            response.status = 500;
        }
    }

    httplib::SSLServer server_;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<ReceivedRequest> requests_;
    Answer answer_;
    bool held_ = false;
};

}  // namespace quorvel::backend::testing
