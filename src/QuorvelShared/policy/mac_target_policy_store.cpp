#include "QuorvelShared/policy/mac_target_policy_store.hpp"

#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "QuorvelShared/support/log.hpp"
#include "QuorvelShared/support/operation_step.hpp"
#include "QuorvelShared/support/xdg_paths.hpp"

namespace quorvel::MacTargetPolicyStore {

std::filesystem::path filePath() {
    return paths::sharedStateFile("mac-target-policies.json");
}

PolicyMap load() {
    const auto text = files::readIfPresent(filePath());
    if (!text) {
        return {};
    }
    return json::readMap(json::parse(*text), "", defaultLockPolicyFromJson);
}

void save(const PolicyMap& policies) {
    Json value = Json::object();
    for (const auto& [targetId, policy] : policies) {
        value[targetId] = toJson(policy);
    }
    files::writeAtomically(filePath(), json::write(value, json::Style::prettySorted));
}

DefaultLockPolicy policy(const std::string& targetId, const DefaultLockPolicy& fallback) {
    OperationStep step{"reading the stored policy of " + targetId, {}};
    try {
        step.file = filePath();
        const PolicyMap policies = load();
        if (const auto found = policies.find(targetId); found != policies.end()) {
            return found->second;
        }
    } catch (const std::exception& error) {
        // An unreadable file means no stored policies: the caller's fallback applies.
        logWarning(LogArea::state, describeFailure(step, error.what()));
    }
    return fallback;
}

}  // namespace quorvel::MacTargetPolicyStore
