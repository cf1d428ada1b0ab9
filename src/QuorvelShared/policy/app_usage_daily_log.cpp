#include "QuorvelShared/policy/app_usage_daily_log.hpp"

#include <algorithm>

#include "QuorvelShared/support/arithmetic.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {
namespace {

std::int64_t countedSeconds(std::int64_t seconds) {
    return std::max<std::int64_t>(seconds, 0);
}

std::vector<MissionRunTally> readTallies(const Json& value, const std::string& path) {
    return json::readArray(value, path, missionRunTallyFromJson);
}

std::vector<Date> readDates(const Json& value, const std::string& path) {
    return json::readArray(value, path, json::readIsoDate);
}

std::vector<UnlockEvent> readEvents(const Json& value, const std::string& path) {
    return json::readArray(value, path, unlockEventFromJson);
}

}  // namespace

AppUsageDailyLog AppUsageDailyLog::make(std::string targetId, std::string dateKey,
                                        std::optional<std::int64_t> unlockCount,
                                        std::optional<std::int64_t> unlockedSeconds,
                                        std::vector<MissionRunTally> missionRuns,
                                        std::vector<Date> allowanceExhaustedAt,
                                        std::vector<UnlockEvent> unlockEvents) {
    const auto count = static_cast<std::int64_t>(unlockEvents.size());
    std::int64_t sum = 0;
    for (const auto& event : unlockEvents) {
        sum = saturatingAdd(sum, countedSeconds(event.seconds));
    }
    if (unlockCount && *unlockCount != count) {
        throw Error<AppUsageDailyLogError>(AppUsageDailyLogError::unlockCountMismatch,
                                           "unlockCount " + std::to_string(*unlockCount) +
                                               " differs from the " + std::to_string(count) +
                                               " unlock events");
    }
    if (unlockedSeconds && *unlockedSeconds != sum) {
        throw Error<AppUsageDailyLogError>(AppUsageDailyLogError::unlockedSecondsMismatch,
                                           "unlockedSeconds " + std::to_string(*unlockedSeconds) +
                                               " differs from the events' sum " +
                                               std::to_string(sum));
    }
    return AppUsageDailyLog{
        .targetId = std::move(targetId),
        .dateKey = std::move(dateKey),
        .unlockCount = count,
        .unlockedSeconds = sum,
        .missionRuns = std::move(missionRuns),
        .allowanceExhaustedAt = std::move(allowanceExhaustedAt),
        .unlockEvents = std::move(unlockEvents),
    };
}

bool AppUsageDailyLog::addUnlock(std::int64_t durationSeconds,
                                 std::optional<MissionKind> missionKind, Date at,
                                 std::optional<std::string> eventId,
                                 std::optional<Date> scheduledEndAt) {
    if (eventId && std::any_of(unlockEvents.begin(), unlockEvents.end(),
                               [&](const UnlockEvent& e) { return e.eventId == eventId; })) {
        return false;
    }
    const std::int64_t seconds = countedSeconds(durationSeconds);
    unlockCount = saturatingAdd(unlockCount, 1);
    unlockedSeconds = saturatingAdd(unlockedSeconds, seconds);
    unlockEvents.push_back(UnlockEvent{
        .at = at,
        .seconds = seconds,
        .eventId = std::move(eventId),
        .scheduledEndAt = scheduledEndAt,
        .endedAt = std::nullopt,
    });
    if (!missionKind) {
        return true;
    }
    const auto tally =
        std::find_if(missionRuns.begin(), missionRuns.end(),
                     [&](const MissionRunTally& t) { return t.kind == *missionKind; });
    if (tally != missionRuns.end()) {
        tally->count = saturatingAdd(tally->count, 1);
    } else {
        missionRuns.push_back({*missionKind, 1});
    }
    return true;
}

Json toJson(const MissionRunTally& tally) {
    Json value = Json::object();
    value["kind"] = toJson(tally.kind);
    value["count"] = tally.count;
    return value;
}

MissionRunTally missionRunTallyFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader object(value, path);
    return MissionRunTally{
        .kind = object.required("kind", missionKindFromJson),
        .count = object.int64("count"),
    };
}

Json toJson(const AppUsageDailyLog& log) {
    Json tallies = json::arrayOf(log.missionRuns);
    Json exhausted = json::arrayOf(log.allowanceExhaustedAt, json::isoDateValue);
    Json events = json::arrayOf(log.unlockEvents);
    Json value = Json::object();
    value["targetId"] = log.targetId;
    value["dateKey"] = log.dateKey;
    value["unlockCount"] = log.unlockCount;
    value["unlockedSeconds"] = log.unlockedSeconds;
    value["missionRuns"] = std::move(tallies);
    value["allowanceExhaustedAt"] = std::move(exhausted);
    value["unlockEvents"] = std::move(events);
    return value;
}

AppUsageDailyLog appUsageDailyLogFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader object(value, path);
    return AppUsageDailyLog{
        .targetId = object.string("targetId"),
        .dateKey = object.string("dateKey"),
        .unlockCount = object.int64("unlockCount"),
        .unlockedSeconds = object.int64("unlockedSeconds"),
        .missionRuns = object.required("missionRuns", readTallies),
        .allowanceExhaustedAt = object.required("allowanceExhaustedAt", readDates),
        .unlockEvents = object.required("unlockEvents", readEvents),
    };
}

}  // namespace quorvel
