#include "QuorvelShared/policy/url_host.hpp"

#include "QuorvelShared/support/uri_characters.hpp"

namespace quorvel {
namespace {

using uri::isAlpha;
using uri::isDigit;
using uri::isHexDigit;
using uri::isSubDelimiter;
using uri::isUnreserved;

// True when every character is unreserved, a sub-delimiter, one of `extra`, or a complete
// percent escape.
bool consistsOf(std::string_view text, std::string_view extra) {
    return uri::consistsOf(text, [extra](char c) {
        return isUnreserved(c) || isSubDelimiter(c) || extra.find(c) != std::string_view::npos;
    });
}

bool isScheme(std::string_view text) {
    if (text.empty() || !isAlpha(text.front())) {
        return false;
    }
    for (const char c : text) {
        if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return true;
}

bool isPort(std::string_view text) {
    for (const char c : text) {
        if (!isDigit(c)) {
            return false;
        }
    }
    return true;
}

int hexValue(char c) {
    if (isDigit(c)) {
        return c - '0';
    }
    return (c | 0x20) - 'a' + 10;
}

std::string percentDecoded(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            decoded += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

std::optional<std::string> hostOf(std::string_view hostAndPort) {
    if (!hostAndPort.empty() && hostAndPort.front() == '[') {
        const auto close = hostAndPort.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view literal = hostAndPort.substr(1, close - 1);
        const std::string_view after = hostAndPort.substr(close + 1);
        if (literal.empty() || !consistsOf(literal, ":") ||
            literal.find('%') != std::string_view::npos) {
            return std::nullopt;
        }
        if (!after.empty() && (after.front() != ':' || !isPort(after.substr(1)))) {
            return std::nullopt;
        }
        return std::string(literal);
    }
    const auto colon = hostAndPort.find(':');
    const std::string_view host = hostAndPort.substr(0, colon);
    if (colon != std::string_view::npos && !isPort(hostAndPort.substr(colon + 1))) {
        return std::nullopt;
    }
    if (host.empty() || !consistsOf(host, "")) {
        return std::nullopt;
    }
    return percentDecoded(host);
}

}  // namespace

std::optional<std::string> urlHost(std::string_view url) {
    const auto separator = url.find("://");
    if (separator == std::string_view::npos || !isScheme(url.substr(0, separator))) {
        return std::nullopt;
    }
    const std::string_view rest = url.substr(separator + 3);
    const auto authorityEnd = rest.find_first_of("/?#");
    const std::string_view authority = rest.substr(0, authorityEnd);
    const std::string_view remainder =
        authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);
    if (!consistsOf(remainder, ":@/?#[]")) {
        return std::nullopt;
    }
    const auto at = authority.rfind('@');
    if (at != std::string_view::npos && !consistsOf(authority.substr(0, at), ":@")) {
        return std::nullopt;
    }
    return hostOf(at == std::string_view::npos ? authority : authority.substr(at + 1));
}

}  // namespace quorvel
