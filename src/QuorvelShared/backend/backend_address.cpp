#include "QuorvelShared/backend/backend_address.hpp"

#include "QuorvelShared/bridge/mac_link_configuration.hpp"
#include "QuorvelShared/support/uri_characters.hpp"

namespace quorvel::backend::address {
namespace {

bool isScheme(std::string_view text) {
    if (text.empty() || !uri::isAlpha(text.front())) {
        return false;
    }
    for (char c : text) {
        if (!uri::isAlpha(c) && !uri::isDigit(c) && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return true;
}

std::string percentEncoded(std::string_view text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (uri::isUnreserved(c)) {
            out += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0x0F];
        }
    }
    return out;
}

}  // namespace

std::optional<std::string> appendingPath(std::string_view base, std::string_view path) {
    if (!isUrlText(std::string(base))) {
        return std::nullopt;
    }
    const auto schemeEnd = base.find("://");
    if (schemeEnd == std::string_view::npos || !isScheme(base.substr(0, schemeEnd))) {
        return std::nullopt;
    }
    const auto authorityStart = schemeEnd + 3;
    const auto authorityEnd = base.find_first_of("/?#", authorityStart);
    const auto authority = base.substr(authorityStart, authorityEnd == std::string_view::npos
                                                           ? std::string_view::npos
                                                           : authorityEnd - authorityStart);
    if (authority.empty()) {
        return std::nullopt;
    }
    const auto head = base.substr(0, authorityStart + authority.size());
    std::string_view rest = base.substr(head.size());
    const auto suffixStart = rest.find_first_of("?#");
    std::string_view basePath = rest.substr(0, suffixStart);
    const std::string_view suffix =
        suffixStart == std::string_view::npos ? std::string_view() : rest.substr(suffixStart);
    while (!basePath.empty() && basePath.back() == '/') {
        basePath.remove_suffix(1);
    }
    return std::string(head).append(basePath).append(path).append(suffix);
}

std::optional<std::string> pathSegment(std::string_view identifier) {
    if (identifier.empty() || identifier == "." || identifier == "..") {
        return std::nullopt;
    }
    return percentEncoded(identifier);
}

std::string withSingleQueryItem(std::string_view address, std::string_view name,
                                std::string_view value) {
    const auto withoutQuery = address.substr(0, address.find_first_of("?#"));
    return std::string(withoutQuery) + "?" + percentEncoded(name) + "=" + percentEncoded(value);
}

}  // namespace quorvel::backend::address
