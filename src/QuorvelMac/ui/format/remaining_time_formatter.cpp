#include "QuorvelMac/ui/format/remaining_time_formatter.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace quorvel::ui {

namespace {

// Whole seconds left, never negative; a NaN or an interval beyond int64 saturates instead of
// overflowing the conversion.
std::int64_t wholeSecondsLeft(Date until, Date at) {
    const double seconds = std::ceil(until.secondsSince(at));
    if (!(seconds > 0)) {
        return 0;
    }
    constexpr double limit = static_cast<double>(std::numeric_limits<std::int64_t>::max() / 2);
    return seconds >= limit ? static_cast<std::int64_t>(limit) : static_cast<std::int64_t>(seconds);
}

}  // namespace

std::string RemainingTimeFormatter::text(Date until, Date at) {
    const std::int64_t total = wholeSecondsLeft(until, at);
    char buffer[64];
    if (total < 3600) {
        std::snprintf(buffer, sizeof buffer, "%lld:%02lld", static_cast<long long>(total / 60),
                      static_cast<long long>(total % 60));
    } else {
        std::snprintf(
            buffer, sizeof buffer, "%lld:%02lld:%02lld", static_cast<long long>(total / 3600),
            static_cast<long long>(total % 3600 / 60), static_cast<long long>(total % 60));
    }
    return buffer;
}

}  // namespace quorvel::ui
