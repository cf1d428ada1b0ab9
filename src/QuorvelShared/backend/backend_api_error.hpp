#pragma once

// The backend client's own failure, with the user-facing Japanese texts. An error body of the
// server ({"code": ..., "message": ...}) chooses the text: the code "pairing_not_found" has a text
// of its own, else a non-empty message is shown as the server wrote it, else a general text.
// Every text but the unreadable-answer one ends with " (HTTP <status>)".
#include <optional>
#include <string>

#include "QuorvelShared/support/typed_error.hpp"

namespace quorvel::backend {

enum class BackendAPIErrorCode {
    // The server answered with a status outside 200...299.
    httpStatus,
    // The answer was not HTTP, or no request address could be formed.
    invalidResponse,
};

class BackendAPIError : public Error<BackendAPIErrorCode> {
public:
    static BackendAPIError httpStatus(int status, std::string body);
    static BackendAPIError invalidResponse();

    // Meaningful for httpStatus only (0 and empty otherwise).
    int status() const { return status_; }
    // The raw response body, whatever it holds.
    const std::string& body() const { return body_; }

    // The user-facing text (what() returns the same). Always a value.
    std::optional<std::string> errorDescription() const { return std::string(what()); }
    std::string description() const { return what(); }

    friend bool operator==(const BackendAPIError& a, const BackendAPIError& b) {
        return a.code() == b.code() && a.status_ == b.status_ && a.body_ == b.body_;
    }

private:
    BackendAPIError(BackendAPIErrorCode code, int status, std::string body);

    int status_;
    std::string body_;
};

// The text for a failed status, from the server's error body.
std::string backendHttpStatusText(int status, const std::string& body);

}  // namespace quorvel::backend
