#include "QuorvelShared/support/clock.hpp"

#include <chrono>

namespace quorvel {

Date SystemClock::now() const {
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return Date::fromUnixSeconds(std::chrono::duration<double>(sinceEpoch).count());
}

Clock& systemClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace quorvel
