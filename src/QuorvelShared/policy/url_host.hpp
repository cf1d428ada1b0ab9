#pragma once

// The host of an absolute URL, read the way a strict RFC 3986 parser reads it. Only as much of
// URL syntax as finding a web target's host needs: no URL library is worth its weight here.
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// For "scheme://authority[/path][?query][#fragment]": the host of the authority, with any
// userinfo (up to the last "@") and ":port" dropped and percent escapes decoded; an IPv6 literal
// comes back without its brackets. No value when the text is not such a URL (no "://", a bad
// scheme, a character a URL cannot hold, a port that is not digits) or the host is empty.
std::optional<std::string> urlHost(std::string_view url);

}  // namespace quorvel
