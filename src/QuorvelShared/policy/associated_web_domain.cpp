#include "QuorvelShared/policy/associated_web_domain.hpp"

#include <algorithm>

#include "QuorvelShared/policy/url_host.hpp"
#include "QuorvelShared/support/text.hpp"

namespace quorvel {
namespace {

bool isValidHost(std::string_view host) {
    return host.find('.') != std::string_view::npos &&
           host.find_first_not_of(AssociatedWebDomain::allowedCharacters) ==
               std::string_view::npos &&
           host.find("..") == std::string_view::npos && host.front() != '-' && host.back() != '-';
}

}  // namespace

std::optional<std::string> AssociatedWebDomain::normalize(std::string_view text) {
    const std::string trimmed = trimWhitespaceAndNewlines(text);
    if (trimmed.empty()) {
        return std::nullopt;
    }
    const bool hasScheme = trimmed.find("://") != std::string::npos;
    std::optional<std::string> host = urlHost(hasScheme ? trimmed : "https://" + trimmed);
    if (!host) {
        host = trimmed.substr(0, trimmed.find('/'));
    }
    std::string name = asciiLowercased(trimWhitespaceAndNewlines(*host));
    if (name.starts_with("www.")) {
        name.erase(0, 4);
    }
    const auto first = name.find_first_not_of('.');
    if (first == std::string::npos) {
        return std::nullopt;
    }
    name = name.substr(first, name.find_last_not_of('.') - first + 1);
    if (!isValidHost(name)) {
        return std::nullopt;
    }
    return name;
}

std::vector<std::string> AssociatedWebDomain::normalizedList(
    const std::vector<std::string>& texts) {
    std::vector<std::string> hosts;
    for (const auto& text : texts) {
        auto host = normalize(text);
        if (host && std::find(hosts.begin(), hosts.end(), *host) == hosts.end()) {
            hosts.push_back(*std::move(host));
        }
    }
    return hosts;
}

}  // namespace quorvel
