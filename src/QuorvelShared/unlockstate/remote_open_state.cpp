#include "QuorvelShared/unlockstate/remote_open_state.hpp"

#include <algorithm>

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel::remoteopen {

Json toJson(const RecentImpression& impression) {
    Json value = Json::object();
    value["profileId"] = impression.profileId;
    value["reportTargetId"] = impression.reportTargetId;
    value["seenAt"] = json::isoDateValue(impression.seenAt);
    return value;
}

RecentImpression recentImpressionFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader object(value, path);
    return {
        .profileId = object.string("profileId"),
        .reportTargetId = object.string("reportTargetId"),
        .seenAt = object.isoDate("seenAt"),
    };
}

Json toJson(const State& state) {
    Json active = json::arrayOf(state.activeEntries);
    Json frozen = json::arrayOf(state.frozenBatches);
    Json impressions = json::arrayOf(state.recentImpressions);
    Json value = Json::object();
    value["activeEntries"] = std::move(active);
    value["frozenBatches"] = std::move(frozen);
    value["recentImpressions"] = std::move(impressions);
    return value;
}

State stateFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader object(value, path);
    return {
        .activeEntries = object.required("activeEntries",
                                         [](const Json& array, const std::string& at) {
                                             return json::readArray(array, at,
                                                                    remoteOpenDailyCountFromJson);
                                         }),
        .frozenBatches = object.required("frozenBatches",
                                         [](const Json& array, const std::string& at) {
                                             return json::readArray(array, at,
                                                                    remoteOpenEventBatchFromJson);
                                         }),
        .recentImpressions = object.required("recentImpressions",
                                             [](const Json& array, const std::string& at) {
                                                 return json::readArray(array, at,
                                                                        recentImpressionFromJson);
                                             }),
    };
}

State decodeState(std::string_view text) {
    return stateFromJson(json::parse(text), "");
}

void trim(State& state, Date now) {
    const Date cutoff = now.addingSeconds(-retentionSeconds);
    const auto tooOld = [cutoff](const RemoteOpenDailyCount& entry) {
        return entry.lastImpressionAt < cutoff;
    };
    std::erase_if(state.recentImpressions, [cutoff](const RecentImpression& impression) {
        return impression.seenAt < cutoff;
    });
    std::erase_if(state.activeEntries, tooOld);
    for (auto& batch : state.frozenBatches) {
        std::erase_if(batch.entries, tooOld);
    }
    std::erase_if(state.frozenBatches,
                  [](const RemoteOpenEventBatch& batch) { return batch.entries.empty(); });
}

}  // namespace quorvel::remoteopen
