#pragma once

// One unlock in a target's daily log: when it began, how long it was planned for, and when it
// was planned to end or actually ended, from which the seconds really used can be reported.
#include <cstdint>
#include <optional>
#include <string>

#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel {

struct UnlockEvent {
    Date at;
    // The planned length; a negative value is stored as given and reported as 0.
    std::int64_t seconds = 0;
    // Makes the unlock unique within a log.
    std::optional<std::string> eventId;
    std::optional<Date> scheduledEndAt;
    std::optional<Date> endedAt;

    // The seconds to report at `now`: the planned length once the unlock has ended (or when no
    // end was planned), otherwise the whole seconds elapsed up to the planned end, never more
    // than planned and never negative.
    std::int64_t reportedSeconds(Date now) const;

    friend bool operator==(const UnlockEvent&, const UnlockEvent&) = default;
};

// Keys equal the field names; the three optionals are left out when absent; dates as ISO text.
Json toJson(const UnlockEvent& event);
UnlockEvent unlockEventFromJson(const Json& value, const std::string& path);

}  // namespace quorvel
