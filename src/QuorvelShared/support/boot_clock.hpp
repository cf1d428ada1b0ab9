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

// The longest wait measured on this clock: a century, more than any deadline lives and well
// within what its nanosecond count holds.
inline constexpr double longestBootClockSeconds = 100.0 * 365 * 24 * 3600;

// A length in seconds as a span of this clock. Not a number and negative lengths count as none,
// and anything longer than a century as a century, so that a value read from a file can neither
// overflow the count nor reach back in time.
BootClock::duration bootClockLength(double seconds);

}  // namespace quorvel
