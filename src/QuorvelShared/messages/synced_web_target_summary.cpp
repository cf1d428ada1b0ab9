#include "QuorvelShared/messages/synced_web_target_summary.hpp"

#include "QuorvelShared/support/json_reader.hpp"

namespace quorvel {

Json toJson(const SyncedWebTargetSummary& summary) {
    Json object = Json::object();
    object["id"] = summary.id;
    object["domain"] = summary.domain;
    object["displayName"] = summary.displayName;
    object["enabled"] = summary.enabled;
    if (summary.linkedTargetId) {
        object["linkedTargetId"] = *summary.linkedTargetId;
    }
    if (summary.warningBeforeEndSeconds) {
        object["warningBeforeEndSeconds"] = *summary.warningBeforeEndSeconds;
    }
    return object;
}

SyncedWebTargetSummary syncedWebTargetSummaryFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader reader(value, path);
    return SyncedWebTargetSummary{
        .id = reader.string("id"),
        .domain = reader.string("domain"),
        .displayName = reader.string("displayName"),
        .enabled = reader.boolean("enabled"),
        .linkedTargetId = reader.optionalString("linkedTargetId"),
        .warningBeforeEndSeconds = reader.optionalInt64("warningBeforeEndSeconds"),
    };
}

}  // namespace quorvel
