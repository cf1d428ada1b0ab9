#include "QuorvelShared/policy/unlock_event.hpp"

#include <algorithm>

#include "QuorvelShared/support/arithmetic.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {

std::int64_t UnlockEvent::reportedSeconds(Date now) const {
    const std::int64_t planned = std::max<std::int64_t>(seconds, 0);
    if (endedAt || !scheduledEndAt) {
        return planned;
    }
    const Date end = std::min(*scheduledEndAt, now);
    // Rounding saturates outside the 64-bit range and reads a non-number as 0.
    const std::int64_t elapsed = roundHalfAwayFromZero(end.secondsSince(at));
    return std::min(planned, std::max<std::int64_t>(elapsed, 0));
}

Json toJson(const UnlockEvent& event) {
    Json value = Json::object();
    value["at"] = json::isoDateValue(event.at);
    value["seconds"] = event.seconds;
    if (event.eventId) {
        value["eventId"] = *event.eventId;
    }
    if (event.scheduledEndAt) {
        value["scheduledEndAt"] = json::isoDateValue(*event.scheduledEndAt);
    }
    if (event.endedAt) {
        value["endedAt"] = json::isoDateValue(*event.endedAt);
    }
    return value;
}

UnlockEvent unlockEventFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader object(value, path);
    return UnlockEvent{
        .at = object.isoDate("at"),
        .seconds = object.int64("seconds"),
        .eventId = object.optionalString("eventId"),
        .scheduledEndAt = object.optionalIsoDate("scheduledEndAt"),
        .endedAt = object.optionalIsoDate("endedAt"),
    };
}

}  // namespace quorvel
