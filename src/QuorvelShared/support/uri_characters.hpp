#pragma once

// The character classes of URI text (RFC 3986), for checking addresses and host names.
#include <string_view>

namespace quorvel::uri {

constexpr bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
constexpr bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
constexpr bool isUnreserved(char c) {
    return isAlpha(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}
constexpr bool isSubDelimiter(char c) {
    return std::string_view("!$&'()*+,;=").find(c) != std::string_view::npos;
}
constexpr bool isGenDelimiter(char c) {
    return std::string_view(":/?#[]@").find(c) != std::string_view::npos;
}

// True when every character of `text` is one that `allowed` accepts or belongs to a complete
// percent escape ("%" and two hexadecimal digits).
template <class Allowed>
constexpr bool consistsOf(std::string_view text, Allowed allowed) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            if (i + 2 >= text.size() || !isHexDigit(text[i + 1]) || !isHexDigit(text[i + 2])) {
                return false;
            }
            i += 2;
        } else if (!allowed(text[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace quorvel::uri
