#pragma once

// Where the backend client sends its requests, and with which bearer token.
#include <optional>
#include <string>

namespace quorvel::backend {

struct BackendConfiguration {
    // An absolute URL ("https://host[:port][/path]"); endpoint paths are appended to its path.
    std::string baseURL;
    // Sent as "Bearer <token>" while present, also when empty.
    std::optional<std::string> accessToken;

    friend bool operator==(const BackendConfiguration&, const BackendConfiguration&) = default;
};

}  // namespace quorvel::backend
