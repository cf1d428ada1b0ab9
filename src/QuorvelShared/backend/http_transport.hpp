#pragma once

// The seam between the backend client and the network: one HTTP exchange, synchronous. The
// program's transport is CurlHttpTransport (backend/curl/); tests put a recording fake in its
// place. A transport follows no redirect: a 3xx answer is returned like any other status.
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "QuorvelShared/support/typed_error.hpp"

namespace quorvel::backend {

struct HttpRequest {
    std::string method;
    std::string url;
    // Lower-case names, in the order they are sent.
    std::vector<std::pair<std::string, std::string>> headers;
    // No value: the request carries no body at all.
    std::optional<std::string> body;
    // One limit for the whole exchange, connection and TLS included.
    int timeoutSeconds = 60;

    // The value of the first header named `name` (lower case), or no value.
    std::optional<std::string> header(const std::string& name) const {
        for (const auto& [key, value] : headers) {
            if (key == name) {
                return value;
            }
        }
        return std::nullopt;
    }
};

struct HttpResponse {
    // The status line's code. The client takes a code outside 100...599 for an answer that was
    // not HTTP.
    int status = 0;
    std::string body;
};

// Why an exchange produced no answer at all.
enum class HttpTransportErrorCode {
    cannotConnect,           // name resolution, refused or unreachable
    timedOut,                // the whole exchange took longer than its limit
    secureConnectionFailed,  // TLS handshake, an untrusted certificate or a wrong host name
    unsupportedURL,          // an address the transport does not speak (anything but https)
    failed,                  // anything else: a broken connection, a malformed answer
};

using HttpTransportError = Error<HttpTransportErrorCode>;

class HttpTransport {
public:
    virtual ~HttpTransport() = default;
    // Throws HttpTransportError when no answer came. Safe to call from several threads at once.
    virtual HttpResponse send(const HttpRequest& request) = 0;
};

}  // namespace quorvel::backend
