#pragma once

// The local calendar in which opens of locked targets are counted: the day (as "yyyy-MM-dd") and
// the hour (0...23) of an instant in the process's time zone. The zone is taken from the
// environment once, at first use, and kept: counts of one run never move between days because
// the zone setting changed underneath.
#include <string>

#include "QuorvelShared/support/date.hpp"

namespace quorvel {

struct LocalDayAndHour {
    std::string dateKey;
    int hour = 0;

    friend bool operator==(const LocalDayAndHour&, const LocalDayAndHour&) = default;
};

// Throws std::out_of_range for a date the calendar cannot place (not finite, or beyond time_t).
LocalDayAndHour localDayAndHour(Date date);

}  // namespace quorvel
