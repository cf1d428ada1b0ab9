#include "QuorvelShared/policy/remote_open_records.hpp"

#include <algorithm>

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {
namespace {

constexpr std::size_t hoursPerDay = 24;

std::vector<std::int64_t> normalizedHourlyCounts(const std::vector<std::int64_t>& input) {
    std::vector<std::int64_t> hours(hoursPerDay, 0);
    for (std::size_t hour = 0; hour < std::min(input.size(), hoursPerDay); ++hour) {
        hours[hour] = std::max<std::int64_t>(input[hour], 0);
    }
    return hours;
}

std::vector<std::int64_t> readCounts(const Json& value, const std::string& path) {
    return json::readArray(value, path, json::readInt64);
}

std::vector<RemoteOpenDailyCount> readEntries(const Json& value, const std::string& path) {
    return json::readArray(value, path, remoteOpenDailyCountFromJson);
}

}  // namespace

RemoteOpenDailyCount RemoteOpenDailyCount::make(std::string targetId, std::string dateKey,
                                                std::int64_t count,
                                                const std::vector<std::int64_t>& hourlyCounts,
                                                Date lastImpressionAt) {
    return RemoteOpenDailyCount{
        .targetId = std::move(targetId),
        .dateKey = std::move(dateKey),
        .count = count,
        .hourlyCounts = normalizedHourlyCounts(hourlyCounts),
        .lastImpressionAt = lastImpressionAt,
    };
}

Json toJson(const RemoteOpenDailyCount& count) {
    Json value = Json::object();
    value["targetId"] = count.targetId;
    value["dateKey"] = count.dateKey;
    value["count"] = count.count;
    value["hourlyCounts"] = count.hourlyCounts;
    value["lastImpressionAt"] = json::isoDateValue(count.lastImpressionAt);
    return value;
}

RemoteOpenDailyCount remoteOpenDailyCountFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader object(value, path);
    return RemoteOpenDailyCount{
        .targetId = object.string("targetId"),
        .dateKey = object.string("dateKey"),
        .count = object.int64("count"),
        .hourlyCounts = object.required("hourlyCounts", readCounts),
        .lastImpressionAt = object.isoDate("lastImpressionAt"),
    };
}

Json toJson(const RemoteOpenEventBatch& batch) {
    Json entries = json::arrayOf(batch.entries);
    Json value = Json::object();
    value["id"] = batch.id;
    value["createdAt"] = json::isoDateValue(batch.createdAt);
    value["entries"] = std::move(entries);
    return value;
}

RemoteOpenEventBatch remoteOpenEventBatchFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader object(value, path);
    return RemoteOpenEventBatch{
        .id = object.string("id"),
        .createdAt = object.isoDate("createdAt"),
        .entries = object.required("entries", readEntries),
    };
}

}  // namespace quorvel
