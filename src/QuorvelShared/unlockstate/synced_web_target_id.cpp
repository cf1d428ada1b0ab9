#include "QuorvelShared/unlockstate/synced_web_target_id.hpp"

#include "QuorvelShared/policy/associated_web_domain.hpp"

namespace quorvel::SyncedWebTargetID {
namespace {

constexpr std::string_view prefix = "link:";

}  // namespace

std::string linked(std::string_view targetId, std::string_view domain) {
    std::string id(prefix);
    id += targetId;
    id += '#';
    id += domain;
    return id;
}

std::optional<LinkedWebTargetComponents> linkedComponents(std::string_view text) {
    if (!text.starts_with(prefix)) {
        return std::nullopt;
    }
    const std::size_t separator = text.rfind('#');
    if (separator == std::string_view::npos || separator < prefix.size()) {
        return std::nullopt;
    }
    const std::string_view targetId = text.substr(prefix.size(), separator - prefix.size());
    if (targetId.empty()) {
        return std::nullopt;
    }
    auto domain = AssociatedWebDomain::normalize(text.substr(separator + 1));
    if (!domain) {
        return std::nullopt;
    }
    return LinkedWebTargetComponents{std::string(targetId), std::move(*domain)};
}

}  // namespace quorvel::SyncedWebTargetID
