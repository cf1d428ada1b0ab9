#pragma once

// The local calendar in which opens of locked targets are counted: the day (as "yyyy-MM-dd") and
// the hour (0...23) of an instant in the process's time zone. The zone is the one ICU finds for
// the process at first use (TZ, else the system's), and it is kept: counts of one run never move
// between days because the zone setting or a later tzset() changed underneath.
#include <string>

#include "QuorvelShared/support/date.hpp"

namespace quorvel {

struct LocalDayAndHour {
    std::string dateKey;
    int hour = 0;

    friend bool operator==(const LocalDayAndHour&, const LocalDayAndHour&) = default;
};

// Throws std::out_of_range for a date the calendar cannot place (not finite, or beyond the
// calendar's range of some millions of years).
LocalDayAndHour localDayAndHour(Date date);

}  // namespace quorvel
