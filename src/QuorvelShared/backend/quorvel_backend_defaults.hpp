#pragma once

// The production backend's HTTPS origin: scheme, host, no path and no trailing slash. Endpoint
// paths ("/v1/...") are appended to it. A link configuration that names its own backend address
// takes precedence.
#include <string_view>

namespace quorvel::backend {

inline constexpr std::string_view kDefaultBaseURL = "https://api.quorvel.app";

}  // namespace quorvel::backend
