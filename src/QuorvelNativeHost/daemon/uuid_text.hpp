#pragma once

// UUIDs arrive as text from the platform (BlueZ writes them in lower case) and are compared as
// values, whatever the case of their hexadecimal digits.
#include <algorithm>
#include <string_view>

namespace quorvel::daemon {

inline bool sameUuidText(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace quorvel::daemon
