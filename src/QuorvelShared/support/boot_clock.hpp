#pragma once

// A monotonic clock that keeps counting while the machine sleeps (CLOCK_BOOTTIME). Waits that
// must last a given real time (request deadlines, allow-window expiry) are measured on it, so a
// change of the wall clock neither cuts them short nor stretches them, and a suspended laptop
// still sees them end on time.
#include <chrono>

namespace quorvel {

struct BootClock {
    using duration = std::chrono::nanoseconds;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<BootClock>;
    static constexpr bool is_steady = true;

    static time_point now() noexcept;
};

}  // namespace quorvel
