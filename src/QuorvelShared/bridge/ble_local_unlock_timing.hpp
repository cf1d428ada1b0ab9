#pragma once

// The two time rules every sender of an unlock request applies, so that the application and the
// native-messaging host compute the same values.
#include <cstdint>

#include "QuorvelShared/support/date.hpp"

namespace quorvel {

namespace BLELocalUnlockRequestLifetime {

// The least lifetime of an unlock request.
inline constexpr std::int64_t seconds = 3600;

// The configured poll time-out when it is longer than an hour, else an hour.
constexpr std::int64_t timeoutSeconds(std::int64_t configuredSeconds) {
    return configuredSeconds > seconds ? configuredSeconds : seconds;
}

}  // namespace BLELocalUnlockRequestLifetime

namespace BLELocalUnlockDeliveryConfirmation {

// How long the phone has to confirm that it received an unlock request.
inline constexpr std::int64_t timeoutSeconds = 30;

inline Date deadline(Date from) {
    return from.addingSeconds(static_cast<double>(timeoutSeconds));
}

}  // namespace BLELocalUnlockDeliveryConfirmation
}  // namespace quorvel
