#include "QuorvelShared/messages/allow_window_summary.hpp"

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {

Json toJson(const AllowWindowSummary& summary) {
    Json object = Json::object();
    object["targetId"] = summary.targetId;
    object["allowUntil"] = json::isoDateValue(summary.allowUntil);
    return object;
}

AllowWindowSummary allowWindowSummaryFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader reader(value, path);
    return AllowWindowSummary{
        .targetId = reader.string("targetId"),
        .allowUntil = reader.isoDate("allowUntil"),
    };
}

}  // namespace quorvel
