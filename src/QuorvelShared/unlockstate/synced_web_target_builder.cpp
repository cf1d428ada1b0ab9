#include "QuorvelShared/unlockstate/synced_web_target_builder.hpp"

#include <optional>
#include <set>
#include <string>

#include "QuorvelShared/policy/associated_web_domain.hpp"
#include "QuorvelShared/support/text.hpp"
#include "QuorvelShared/unlockstate/synced_web_target_id.hpp"

namespace quorvel::SyncedWebTargetBuilder {
namespace {

// The display name trimmed; none when it is absent or blank.
std::optional<std::string> nameOf(const TargetLockPolicy& target) {
    if (!target.displayName) {
        return std::nullopt;
    }
    std::string name = trimWhitespaceAndNewlines(*target.displayName);
    if (name.empty()) {
        return std::nullopt;
    }
    return name;
}

}  // namespace

std::vector<SyncedWebTarget> build(const std::vector<TargetLockPolicy>& targets,
                                   const DefaultLockPolicy& defaultPolicy,
                                   std::string_view standaloneTargetIdPrefix) {
    std::set<std::string> claimed;
    std::vector<SyncedWebTarget> result;

    for (const TargetLockPolicy& target : targets) {
        if (target.targetType != TargetType::iosApp) {
            continue;
        }
        const DefaultLockPolicy policy = target.resolved(defaultPolicy);
        const std::optional<std::string> name = nameOf(target);
        for (const std::string& text : target.associatedDomains) {
            auto domain = AssociatedWebDomain::normalize(text);
            if (!domain || !claimed.insert(*domain).second) {
                continue;
            }
            result.push_back({
                .id = SyncedWebTargetID::linked(target.targetId, *domain),
                .domain = *domain,
                .displayName = name.value_or(*domain),
                .enabled = true,
                .linkedTargetId = target.targetId,
                .policy = policy,
            });
        }
    }

    for (const TargetLockPolicy& target : targets) {
        if (target.targetType != TargetType::webDomain ||
            !std::string_view(target.targetId).starts_with(standaloneTargetIdPrefix)) {
            continue;
        }
        auto domain = AssociatedWebDomain::normalize(
            std::string_view(target.targetId).substr(standaloneTargetIdPrefix.size()));
        if (!domain || !claimed.insert(*domain).second) {
            continue;
        }
        result.push_back({
            .id = target.targetId,
            .domain = *domain,
            .displayName = nameOf(target).value_or(*domain),
            .enabled = true,
            .linkedTargetId = std::nullopt,
            .policy = target.resolved(defaultPolicy),
        });
    }
    return result;
}

}  // namespace quorvel::SyncedWebTargetBuilder
