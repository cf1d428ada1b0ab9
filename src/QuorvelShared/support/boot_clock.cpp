#include "QuorvelShared/support/boot_clock.hpp"

#include <time.h>

#include <cmath>

namespace quorvel {

BootClock::time_point BootClock::now() noexcept {
    timespec ts{};
    ::clock_gettime(CLOCK_BOOTTIME, &ts);
    return time_point(std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec));
}

BootClock::duration bootClockLength(double seconds) {
    if (std::isnan(seconds) || seconds < 0)
        seconds = 0;
    if (seconds > longestBootClockSeconds)
        seconds = longestBootClockSeconds;
    return std::chrono::duration_cast<BootClock::duration>(std::chrono::duration<double>(seconds));
}

}  // namespace quorvel
