#include "QuorvelShared/unlockstate/remote_open_calendar.hpp"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>
#include <mutex>
#include <stdexcept>

namespace quorvel {
namespace {

void captureTimeZoneOnce() {
    // localtime_r keeps using the zone of the last tzset(); nothing in the programs calls it again.
    static std::once_flag once;
    std::call_once(once, [] { ::tzset(); });
}

}  // namespace

LocalDayAndHour localDayAndHour(Date date) {
    const double seconds = std::floor(date.unixSeconds());
    // Within +-2^53 every double is an exact integer and the conversion to time_t is defined.
    constexpr double limit = 9007199254740992.0;
    if (!std::isfinite(seconds) || seconds < -limit || seconds > limit) {
        throw std::out_of_range("the date lies outside the local calendar");
    }
    captureTimeZoneOnce();
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (::localtime_r(&time, &local) == nullptr) {
        throw std::out_of_range("the date lies outside the local calendar");
    }
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday);
    return {text, local.tm_hour};
}

}  // namespace quorvel
